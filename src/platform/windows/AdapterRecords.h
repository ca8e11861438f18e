// The adapter list Windows gives (GetAdaptersAddresses), held as plain values and turned
// into the platform's cards, adapters and address table; pure, so every system tests it.
#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

#include "platform/Platform.h"

namespace velmaro::platform::windows_backend {

// What the program reads of one adapter.
struct AdapterRecord {
  QString name;         // the name the user sees and types ("Ethernet", "Wi-Fi")
  QString description;  // the driver's own name ("TAP-Windows Adapter V9"...)
  quint32 index = 0;
  quint32 ifType = 0;  // IANA ifType
  int operStatus = 0;  // IF_OPER_STATUS
  QByteArray hardwareAddress;
  std::vector<InterfaceAddress> ipv4;
};

// The card's state, kind and addresses: up while the system lists it as present, running
// while its link is up; virtual adapters of the common VPNs named by their driver.
NetworkInterface cardOf(const AdapterRecord& record);

// The adapters with a link-layer address, loopback left out, in the system's order.
std::vector<Adapter> adaptersOf(const std::vector<AdapterRecord>& records);

// Every IPv4 address, loopback included, in the system's order.
std::vector<quint32> ipv4AddressesOf(const std::vector<AdapterRecord>& records);

}  // namespace velmaro::platform::windows_backend

#include "platform/windows/AdapterRecords.h"

namespace velmaro::platform::windows_backend {
namespace {

// IANA ifType numbers, as ipifcons.h names them.
constexpr quint32 kEthernet = 6;
constexpr quint32 kPpp = 23;
constexpr quint32 kLoopback = 24;
constexpr quint32 kVirtual = 53;  // IF_TYPE_PROP_VIRTUAL: WireGuard, Hyper-V's switch...
constexpr quint32 kWireless = 71;
constexpr quint32 kTunnel = 131;
// IF_OPER_STATUS values.
constexpr int kOperUp = 1;
constexpr int kOperNotPresent = 6;

// VPN drivers that present an Ethernet-like or virtual adapter, by the description they give.
struct TunnelDriver {
  const char16_t* marker;
  const char* type;
};
constexpr TunnelDriver kTunnelDrivers[] = {
    {u"WireGuard", "wireguard"}, {u"Wintun", "tun"},  {u"TAP-Windows", "tap"},
    {u"TAP-Win32", "tap"},       {u"OpenVPN", "tun"},
};

void classify(NetworkInterface& card, quint32 ifType, const QString& description) {
  for (const TunnelDriver& driver : kTunnelDrivers) {
    if (description.contains(QStringView(driver.marker), Qt::CaseInsensitive)) {
      card.kind = LinkKind::Tunnel;
      card.tunnelType = QLatin1String(driver.type);
      return;
    }
  }
  switch (ifType) {
    case kLoopback:
      card.kind = LinkKind::Loopback;
      return;
    case kEthernet:
    case kWireless:
      card.kind = LinkKind::Ethernet;
      return;
    case kPpp:
      card.kind = LinkKind::Tunnel;
      card.tunnelType = QStringLiteral("ppp");
      return;
    case kTunnel:
    case kVirtual:
      card.kind = LinkKind::Tunnel;
      card.tunnelType = QStringLiteral("tunnel");
      return;
    default:
      card.kind = LinkKind::Other;
      return;
  }
}

}  // namespace

NetworkInterface cardOf(const AdapterRecord& record) {
  NetworkInterface card;
  card.name = record.name;
  card.up = record.operStatus != kOperNotPresent;
  card.running = record.operStatus == kOperUp;
  classify(card, record.ifType, record.description);
  card.ipv4 = record.ipv4;
  return card;
}

std::vector<Adapter> adaptersOf(const std::vector<AdapterRecord>& records) {
  std::vector<Adapter> adapters;
  for (const AdapterRecord& record : records) {
    if (record.hardwareAddress.isEmpty() || record.ifType == kLoopback) continue;
    Adapter adapter{record.name, record.hardwareAddress, {}};
    for (const InterfaceAddress& address : record.ipv4) adapter.ipv4.push_back(address.address);
    adapters.push_back(std::move(adapter));
  }
  return adapters;
}

std::vector<quint32> ipv4AddressesOf(const std::vector<AdapterRecord>& records) {
  std::vector<quint32> addresses;
  for (const AdapterRecord& record : records) {
    for (const InterfaceAddress& address : record.ipv4) addresses.push_back(address.address);
  }
  return addresses;
}

}  // namespace velmaro::platform::windows_backend

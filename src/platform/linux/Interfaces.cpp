// The host's addresses and adapters on Linux, from the kernel's interface list.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <QStringView>
#include <memory>

#include "platform/linux/InterfaceWalk.h"
#include "platform/linux/LinuxBackends.h"

namespace velmaro::platform::linux_backend {
namespace {

struct IfAddrsRelease {
  void operator()(ifaddrs* list) const { ::freeifaddrs(list); }
};
using IfAddrsList = std::unique_ptr<ifaddrs, IfAddrsRelease>;

std::optional<IfAddrsList> readInterfaceList() {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0) return std::nullopt;
  return IfAddrsList(list);
}

bool hasFamily(const ifaddrs* entry, int family) {
  return entry->ifa_addr != nullptr && entry->ifa_addr->sa_family == family;
}

quint32 hostOrderIPv4(const ifaddrs* entry) {
  return ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr);
}

// An alias label ("eth0:1") names the interface before its colon.
QStringView interfaceOf(const QString& label) {
  const qsizetype colon = label.indexOf(u':');
  return colon < 0 ? QStringView(label) : QStringView(label).first(colon);
}

}  // namespace

std::vector<quint32> ipv4AddressesIn(const ifaddrs* list) {
  std::vector<quint32> addresses;
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (hasFamily(entry, AF_INET)) addresses.push_back(hostOrderIPv4(entry));
  }
  return addresses;
}

std::vector<Adapter> adaptersIn(const ifaddrs* list) {
  std::vector<Adapter> adapters;
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (!hasFamily(entry, AF_PACKET) || (entry->ifa_flags & IFF_LOOPBACK) != 0) continue;
    const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
    const int length = qMin<int>(link->sll_halen, sizeof link->sll_addr);
    if (length <= 0) continue;  // tunnels and the like have no hardware address
    Adapter adapter;
    adapter.name = QString::fromLocal8Bit(entry->ifa_name);
    adapter.hardwareAddress = QByteArray(reinterpret_cast<const char*>(link->sll_addr), length);
    adapters.push_back(std::move(adapter));
  }
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (!hasFamily(entry, AF_INET) || entry->ifa_name == nullptr) continue;
    const QString label = QString::fromLocal8Bit(entry->ifa_name);
    for (Adapter& adapter : adapters) {
      if (adapter.name == interfaceOf(label)) adapter.ipv4.push_back(hostOrderIPv4(entry));
    }
  }
  return adapters;
}

std::optional<std::vector<quint32>> ipv4Addresses() {
  const auto list = readInterfaceList();
  if (!list) return std::nullopt;
  return ipv4AddressesIn(list->get());
}

std::optional<std::vector<Adapter>> adapters() {
  const auto list = readInterfaceList();
  if (!list) return std::nullopt;
  return adaptersIn(list->get());
}

}  // namespace velmaro::platform::linux_backend

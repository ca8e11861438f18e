// The network cards as the kernel lists them (getifaddrs), with their kind from the link's
// hardware type and what sysfs says of tun, tap and WireGuard devices.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <QFile>
#include <bit>
#include <memory>

#include "platform/linux/InterfaceWalk.h"
#include "platform/linux/LinuxBackends.h"

namespace velmaro::platform::linux_backend {
namespace {

constexpr unsigned kTunTapFlag = 0x0002;  // IFF_TAP in the tun driver's flags
constexpr qint64 kMaxSysfsText = 4096;

QString labelInterface(const char* label) {
  const QString name = QString::fromLocal8Bit(label);
  const qsizetype colon = name.indexOf(u':');
  return colon < 0 ? name : name.first(colon);
}

quint32 hostOrder(const sockaddr* address) {
  return ntohl(reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr);
}

QByteArray readSysfs(const QString& name, const char* attribute) {
  QFile file(QStringLiteral("/sys/class/net/%1/%2").arg(name, QLatin1String(attribute)));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.read(kMaxSysfsText).trimmed();
}

LinkFacts sysfsFacts(const QString& name) {
  LinkFacts facts;
  // A name with a slash would leave the folder: no card is called that.
  if (name.contains(u'/') || name.startsWith(u'.')) return facts;
  const QByteArray tun = readSysfs(name, "tun_flags");
  if (!tun.isEmpty()) {
    bool ok = false;
    const unsigned flags = tun.toUInt(&ok, 0);
    if (ok) facts.tunFlags = flags;
  }
  for (const QByteArray& line : readSysfs(name, "uevent").split('\n')) {
    if (line.startsWith("DEVTYPE=")) facts.deviceType = QString::fromLatin1(line.mid(8));
  }
  return facts;
}

struct IfAddrsRelease {
  void operator()(ifaddrs* list) const { ::freeifaddrs(list); }
};

}  // namespace

LinkClass classifyLink(unsigned flags, int hardwareType, const LinkFacts& facts) {
  const auto tunnel = [](const char* type) {
    return LinkClass{LinkKind::Tunnel, QLatin1String(type)};
  };
  if ((flags & IFF_LOOPBACK) != 0 || hardwareType == ARPHRD_LOOPBACK)
    return {LinkKind::Loopback, {}};
  if (facts.tunFlags) return tunnel((*facts.tunFlags & kTunTapFlag) != 0 ? "tap" : "tun");
  if (facts.deviceType == u"wireguard") return tunnel("wireguard");
  switch (hardwareType) {
    case ARPHRD_PPP:
      return tunnel("ppp");
    case ARPHRD_TUNNEL:
      return tunnel("ipip");
    case ARPHRD_TUNNEL6:
      return tunnel("ip6tnl");
    case ARPHRD_SIT:
      return tunnel("sit");
    case ARPHRD_IPGRE:
      return tunnel("gre");
    case ARPHRD_NONE:
      return tunnel("tunnel");  // no link layer at all: tun or WireGuard
    default:
      break;
  }
  if ((flags & IFF_POINTOPOINT) != 0) return tunnel("point-to-point");
  if (hardwareType == ARPHRD_ETHER || hardwareType == ARPHRD_IEEE80211)
    return {LinkKind::Ethernet, {}};
  return {LinkKind::Other, {}};
}

std::vector<NetworkInterface> networkInterfacesIn(
    const ifaddrs* list, const std::function<LinkFacts(const QString&)>& linkFacts) {
  std::vector<NetworkInterface> cards;
  std::vector<int> hardwareTypes;
  const auto find = [&](const QString& name) -> NetworkInterface* {
    for (NetworkInterface& card : cards) {
      if (card.name == name) return &card;
    }
    return nullptr;
  };
  // Links first, from their packet entries, which carry the flags and the hardware type.
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_name == nullptr || entry->ifa_addr == nullptr) continue;
    if (entry->ifa_addr->sa_family != AF_PACKET) continue;
    const QString name = QString::fromLocal8Bit(entry->ifa_name);
    if (find(name) != nullptr) continue;
    NetworkInterface card;
    card.name = name;
    card.up = (entry->ifa_flags & IFF_UP) != 0;
    card.running = (entry->ifa_flags & IFF_RUNNING) != 0;
    const int type = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr)->sll_hatype;
    const LinkClass link = classifyLink(entry->ifa_flags, type, linkFacts(name));
    card.kind = link.kind;
    card.tunnelType = link.tunnelType;
    cards.push_back(std::move(card));
  }
  for (const ifaddrs* entry = list; entry != nullptr; entry = entry->ifa_next) {
    if (entry->ifa_name == nullptr || entry->ifa_addr == nullptr) continue;
    if (entry->ifa_addr->sa_family != AF_INET) continue;
    const QString name = labelInterface(entry->ifa_name);
    NetworkInterface* card = find(name);
    if (card == nullptr) {
      // A link without a packet entry: what its address entry's flags tell is all we know.
      NetworkInterface added;
      added.name = name;
      added.up = (entry->ifa_flags & IFF_UP) != 0;
      added.running = (entry->ifa_flags & IFF_RUNNING) != 0;
      const LinkClass link = classifyLink(entry->ifa_flags, -1, linkFacts(name));
      added.kind = link.kind;
      added.tunnelType = link.tunnelType;
      cards.push_back(std::move(added));
      card = &cards.back();
    }
    InterfaceAddress address;
    address.address = hostOrder(entry->ifa_addr);
    // A contiguous mask's length; the kernel keeps IPv4 masks contiguous.
    address.prefixLength =
        entry->ifa_netmask != nullptr ? std::popcount(hostOrder(entry->ifa_netmask)) : 32;
    card->ipv4.push_back(address);
  }
  return cards;
}

std::optional<std::vector<NetworkInterface>> networkInterfaces() {
  ifaddrs* raw = nullptr;
  if (::getifaddrs(&raw) != 0) return std::nullopt;
  const std::unique_ptr<ifaddrs, IfAddrsRelease> list(raw);
  return networkInterfacesIn(list.get(), sysfsFacts);
}

}  // namespace velmaro::platform::linux_backend

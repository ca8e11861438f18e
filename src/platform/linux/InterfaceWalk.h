// Reading the kernel's interface list (getifaddrs) into the platform's address table and
// adapter list; pure over the list, so hand-made lists can test it.
#pragma once

#include <ifaddrs.h>

#include <functional>
#include <optional>
#include <vector>

#include "platform/Platform.h"

namespace velmaro::platform::linux_backend {

// Every IPv4 address of the list, loopback included, host byte order, in list order.
std::vector<quint32> ipv4AddressesIn(const ifaddrs* list);

// The interfaces with a link-layer address (their packet entry), loopback and interfaces
// without a hardware address left out, in list order; each with the IPv4 addresses of
// the interface and of its labelled aliases ("eth0:1").
std::vector<Adapter> adaptersIn(const ifaddrs* list);

// What sysfs adds about a link: the tun driver's flags (tun and tap devices only) and the
// device type of its uevent ("wireguard", "wlan", "bridge"...).
struct LinkFacts {
  std::optional<unsigned> tunFlags;
  QString deviceType;
};

struct LinkClass {
  LinkKind kind = LinkKind::Other;
  QString tunnelType;
  friend bool operator==(const LinkClass&, const LinkClass&) = default;
};

// The kind of a link from its interface flags, its hardware type (ARPHRD_*; -1 unknown)
// and the sysfs facts.
LinkClass classifyLink(unsigned flags, int hardwareType, const LinkFacts& facts);

// Every link of the list (its packet entry, or its first address entry when it has none)
// with its state, kind and IPv4 addresses (an alias label's go to its link), in list order.
std::vector<NetworkInterface> networkInterfacesIn(
    const ifaddrs* list, const std::function<LinkFacts(const QString&)>& linkFacts);

}  // namespace velmaro::platform::linux_backend

// Reading the kernel's interface list (getifaddrs) into the platform's address table and
// adapter list; pure over the list, so hand-made lists can test it.
#pragma once

#include <ifaddrs.h>

#include <vector>

#include "platform/Platform.h"

namespace velmaro::platform::linux_backend {

// Every IPv4 address of the list, loopback included, host byte order, in list order.
std::vector<quint32> ipv4AddressesIn(const ifaddrs* list);

// The interfaces with a link-layer address (their packet entry), loopback and interfaces
// without a hardware address left out, in list order; each with the IPv4 addresses of
// the interface and of its labelled aliases ("eth0:1").
std::vector<Adapter> adaptersIn(const ifaddrs* list);

}  // namespace velmaro::platform::linux_backend

// The two kinds of ICMP echo socket Linux offers, for callers that must use one of them
// (tests of each kind); openEchoSocket() picks the unprivileged one when it can.
#pragma once

#include "platform/EchoSocket.h"

namespace velmaro::platform::linux_backend {

enum class IcmpSocketKind {
  Datagram,  // unprivileged, inside net.ipv4.ping_group_range; the kernel owns the identifier
  Raw,       // root or CAP_NET_RAW; sees every echo reply of the host, ours by identifier
};

EchoOpenResult openIcmpSocket(IcmpSocketKind kind);

}  // namespace velmaro::platform::linux_backend

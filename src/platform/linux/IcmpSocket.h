// The two kinds of ICMP echo socket Linux offers, for callers that must use one of them
// (tests of each kind), and the raw one kept by a process that gives up its capabilities;
// openEchoSocket() picks the unprivileged one when it can.
#pragma once

#include "platform/EchoSocket.h"
#include "platform/NetworkFacts.h"

namespace velmaro::platform::linux_backend {

enum class IcmpSocketKind {
  Datagram,  // unprivileged, inside net.ipv4.ping_group_range; the kernel owns the identifier
  Raw,       // root or CAP_NET_RAW; sees every echo reply of the host, ours by identifier
};

EchoOpenResult openIcmpSocket(IcmpSocketKind kind);

// Opens the raw socket that a process which may not use the unprivileged kind will need
// once it has given up its capabilities, and keeps it for the process's life (nothing when
// the unprivileged kind opens or no raw one may). Called once, before the toolkit exists.
void keepRawEchoSocketIfNeeded();
// Whether a raw socket opened that way is kept.
bool rawEchoSocketKept();
// The kind openEchoSocket() would hand out now.
EchoSocketKind echoSocketKind();

}  // namespace velmaro::platform::linux_backend

// Readers of the kernel's text and attribute files that the diagnostics use, pure over
// their bytes so every odd file can be tried in a test.
#pragma once

#include <QByteArrayView>
#include <optional>
#include <utility>
#include <vector>

#include "platform/NetworkFacts.h"

namespace velmaro::platform::linux_backend {

// /proc/sys/net/ipv4/ping_group_range: "low<TAB>high"; nothing when it is not two numbers.
std::optional<std::pair<quint32, quint32>> parsePingGroupRange(QByteArrayView text);

// True when the "CapEff:" line of /proc/self/status has CAP_NET_RAW (bit 13).
bool netRawEffective(QByteArrayView procStatus);

// True when a security.capability attribute (struct vfs_cap_data, any revision) grants
// cap_net_raw as permitted and raises it at start (the "+ep" of setcap).
bool fileCapabilityGrantsNetRaw(QByteArrayView attribute);

// The entries of /proc/net/arp (header line first; "address type flags hw-address mask
// device"); flag 0x2 marks an entry whose link-layer address is known. Bounded in lines.
std::vector<Neighbour> parseProcArp(QByteArrayView text);
// /proc/net/arp in the layout convertArpListing writes: the same entries, addresses and
// types as the listing command gives for them.
QByteArray convertProcArp(QByteArrayView text);

}  // namespace velmaro::platform::linux_backend

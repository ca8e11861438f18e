// The kernel's neighbour messages as netlink bytes: the request for the whole table and
// the reading of what the kernel sends, with no system calls, so any bytes can be tried.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

#include "platform/NeighbourWatch.h"

namespace velmaro::platform::linux_backend {

// An RTM_GETNEIGH dump request for every IPv4 neighbour.
QByteArray neighbourDumpRequest(quint32 sequence);

// Every IPv4 neighbour that one datagram of netlink messages reports (RTM_NEWNEIGH,
// RTM_DELNEIGH), in order. Other messages, other families, entries still being resolved
// and anything malformed are left out; a malformed length ends the reading there.
std::vector<NeighbourUpdate> parseNeighbourMessages(QByteArrayView datagram);

}  // namespace velmaro::platform::linux_backend

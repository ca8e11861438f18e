// The kernel's route look-up as netlink bytes: the question for one destination and the
// reading of its answer, with no system calls, so malformed answers can be tried in a test.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <functional>

#include "platform/NetworkFacts.h"

namespace velmaro::platform::linux_backend {

// An RTM_GETROUTE request for the IPv4 destination (host byte order).
QByteArray routeRequest(quint32 destination, quint32 sequence);

// The answer to that request: the leaving card (named through `nameOf`, by index) and the
// source address, or the failure the kernel reported (no route: "Network is unreachable").
// Anything that is not a well-formed answer to `sequence` is a failure too.
RouteLookup parseRouteReply(QByteArrayView reply, quint32 sequence,
                            const std::function<QString(int)>& nameOf);

}  // namespace velmaro::platform::linux_backend

// The network half of the field diagnostics: each check a pure function over facts the
// platform gathered, giving one line, "ok" or the fix.
#pragma once

#include <optional>
#include <vector>

#include "platform/NetworkFacts.h"
#include "support/DoctorLine.h"

namespace velmaro {

// The cards a query goes out on: every card that is up and has an IPv4 address, loopback
// excepted, in the system's order.
std::vector<platform::NetworkInterface> QueryCards(
    const std::vector<platform::NetworkInterface>& cards);

// What lets a process that may not send echo requests send them, in the order to try: the
// user's groups admitted to unprivileged ICMP sockets; where that range must stay closed, the
// raw-socket capability on the command line program only (the program gives it up at start
// after opening its one raw socket; the window gets none).
QString IcmpPermissionFix(const QString& cliProgram);

// ICMP echo (PING): an unprivileged datagram socket inside ping_group_range, or a raw socket
// with cap_net_raw; says which of the two the program would use.
DoctorLine CheckIcmpPermission(const platform::IcmpPermission& facts);

// UDP port 2860, where the units' replies arrive: the outcome of binding it.
DoctorLine CheckReplyPort(const std::optional<platform::SocketFailure>& bindFailure);

// The route for 255.255.255.255 and the card the query leaves through.
DoctorLine CheckBroadcastRoute(const platform::RouteLookup& route,
                               const std::vector<platform::NetworkInterface>& cards);

// Tunnels and VPNs: a problem when the query leaves through one, where no unit hears it.
DoctorLine CheckTunnels(const platform::RouteLookup& route,
                        const std::vector<platform::NetworkInterface>& cards);

// Cards that are up but have no IPv4 address (units on them cannot be reached).
DoctorLine CheckCardsWithoutIPv4(const std::vector<platform::NetworkInterface>& cards);

// What one query on one card gave.
struct CardProbe {
  QString interfaceName;
  std::optional<platform::SocketFailure> failure;  // binding or sending failed
  int replies = 0;
  int neighbours = 0;  // hosts of that card in the neighbour table after listening
};

// Replies being dropped: the query went out, nothing came back, yet the neighbour table
// shows hosts on that card. Not checked when no query was sent (nothing given).
DoctorLine CheckReplies(const std::optional<std::vector<CardProbe>>& probes);

}  // namespace velmaro

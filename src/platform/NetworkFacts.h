// What the system says about its network cards, its route for the limited broadcast, its
// neighbours and its ICMP permission: facts read without sending anything.
#pragma once

#include <QString>
#include <optional>
#include <utility>
#include <vector>

#include "platform/DatagramSocket.h"

namespace velmaro::platform {

enum class LinkKind {
  Ethernet,  // an Ethernet-like card (wired, wireless, bridge, VLAN)
  Loopback,
  Tunnel,  // tun, tap, WireGuard, PPP, IP-in-IP and other tunnels: VPNs among them
  Other,
};

struct InterfaceAddress {
  quint32 address = 0;   // host byte order
  int prefixLength = 0;  // 0 to 32
  friend bool operator==(const InterfaceAddress&, const InterfaceAddress&) = default;
};

struct NetworkInterface {
  QString name;
  bool up = false;       // switched on
  bool running = false;  // has a link (cable, carrier)
  LinkKind kind = LinkKind::Other;
  QString tunnelType;  // for tunnels: "tun", "tap", "wireguard", "ppp", "gre"...
  std::vector<InterfaceAddress> ipv4;
};

// Where the system would send a datagram to one destination.
struct RouteLookup {
  QString interfaceName;                 // empty when there is no route
  quint32 source = 0;                    // the source address it would pick; 0 when it names none
  std::optional<SocketFailure> failure;  // why there is no route
};

// One entry of the neighbour (ARP) table.
struct Neighbour {
  quint32 address = 0;  // host byte order
  QString interfaceName;
  bool complete = false;  // its link-layer address is known
  friend bool operator==(const Neighbour&, const Neighbour&) = default;
};

// Service: the system's own echo service, which any user may call (no socket of ours).
enum class EchoSocketKind { None, Datagram, Raw, Service };

// Who may send ICMP echo requests, as the system decides it for this process.
struct IcmpPermission {
  // net.ipv4.ping_group_range of this network namespace; nothing when it cannot be read.
  std::optional<std::pair<quint32, quint32>> pingGroupRange;
  std::vector<quint32> groups;    // the process's real, effective and supplementary groups
  bool processHasNetRaw = false;  // CAP_NET_RAW is effective in this process now
  bool rawSocketKept = false;     // a raw socket opened at start, before every capability went
  bool fileHasNetRaw = false;     // the executable file carries cap_net_raw
  QString executable;             // the program file
  EchoSocketKind wouldUse = EchoSocketKind::None;  // what opening an echo socket gives now
};

}  // namespace velmaro::platform

#include "netinfo/NetworkChecks.h"

#include <QStringList>
#include <algorithm>

#include "platform/Advice.h"
#include "support/Ipv4Text.h"
#include "support/Tunables.h"
#include "support/VbError.h"

namespace velmaro {
namespace {

using platform::LinkKind;
using platform::NetworkInterface;

const NetworkInterface* cardNamed(const std::vector<NetworkInterface>& cards, const QString& name) {
  const auto it = std::find_if(cards.begin(), cards.end(),
                               [&](const NetworkInterface& c) { return c.name == name; });
  return it == cards.end() ? nullptr : &*it;
}

QString tunnelName(const NetworkInterface& card) {
  return card.tunnelType.isEmpty() ? card.name
                                   : QStringLiteral("%1 (%2)").arg(card.name, card.tunnelType);
}

// The card a technician most likely means: the first Ethernet card that is up with IPv4.
QString likelyLanCard(const std::vector<NetworkInterface>& cards) {
  for (const NetworkInterface& card : QueryCards(cards)) {
    if (card.kind == LinkKind::Ethernet) return card.name;
  }
  return QStringLiteral("eth0");
}

}  // namespace

std::vector<NetworkInterface> QueryCards(const std::vector<NetworkInterface>& cards) {
  std::vector<NetworkInterface> chosen;
  for (const NetworkInterface& card : cards) {
    if (card.up && card.kind != LinkKind::Loopback && !card.ipv4.empty()) chosen.push_back(card);
  }
  return chosen;
}

QString IcmpPermissionFix(const QString& cliProgram) {
  return platform::EchoPermissionFix(cliProgram);
}

DoctorLine CheckIcmpPermission(const platform::IcmpPermission& facts) {
  const QString check = QStringLiteral("icmp");
  const QString range = facts.pingGroupRange ? QStringLiteral("%1 %2")
                                                   .arg(facts.pingGroupRange->first)
                                                   .arg(facts.pingGroupRange->second)
                                             : QStringLiteral("unreadable");
  switch (facts.wouldUse) {
    case platform::EchoSocketKind::Datagram: {
      QString group;
      for (const quint32 g : facts.groups) {
        if (facts.pingGroupRange && g >= facts.pingGroupRange->first &&
            g <= facts.pingGroupRange->second) {
          group = QString::number(g);
          break;
        }
      }
      return OkLine(check, QStringLiteral("unprivileged datagram socket: group %1 lies in "
                                          "ping_group_range %2")
                               .arg(group.isEmpty() ? QStringLiteral("?") : group, range));
    }
    case platform::EchoSocketKind::Raw:
      return OkLine(
          check, QStringLiteral("raw socket %1 cap_net_raw%2%3; ping_group_range %4 "
                                "admits none of this user's groups")
                     .arg(facts.rawSocketKept ? QStringLiteral("opened at start with")
                                              : QStringLiteral("with"),
                          facts.fileHasNetRaw ? QStringLiteral(" from the program file")
                                              : QStringLiteral(" of this process"),
                          facts.rawSocketKept ? QStringLiteral(", every capability given up since")
                                              : QString(),
                          range));
    case platform::EchoSocketKind::Service:
      return OkLine(check, QStringLiteral("the system's echo service, which every user may call"));
    case platform::EchoSocketKind::None:
      break;
  }
  const QString program =
      facts.executable.isEmpty() ? QStringLiteral("velmaro-cli") : facts.executable;
  QString fix = QStringLiteral(
                    "no ICMP permission (ping_group_range %1 admits none of this user's "
                    "groups, no cap_net_raw): %2")
                    .arg(range, IcmpPermissionFix(program));
  if (facts.fileHasNetRaw && !facts.processHasNetRaw) {
    fix += QStringLiteral(
        " (the file has cap_net_raw but the process did not get it: a nosuid "
        "mount or a debugger drops it)");
  }
  return FixLine(check, true, fix);
}

DoctorLine CheckReplyPort(const std::optional<platform::SocketFailure>& bindFailure) {
  const QString check = QStringLiteral("udp-%1").arg(tunables::kReplyPort);
  if (!bindFailure)
    return OkLine(check, QStringLiteral("UDP port %1 is free").arg(tunables::kReplyPort));
  if (bindFailure->number == err::addressInUse().number) {
    return FixLine(check, true,
                   QStringLiteral("UDP port %1 is held by another program, so replies go there: %2")
                       .arg(QString::number(tunables::kReplyPort),
                            platform::PortHolderFix(tunables::kReplyPort)));
  }
  return FixLine(check, true,
                 QStringLiteral("cannot bind UDP port %1: %2 (error %3)")
                     .arg(QString::number(tunables::kReplyPort), bindFailure->description,
                          QString::number(bindFailure->number)));
}

DoctorLine CheckBroadcastRoute(const platform::RouteLookup& route,
                               const std::vector<NetworkInterface>& cards) {
  const QString check = QStringLiteral("broadcast-route");
  if (route.interfaceName.isEmpty()) {
    const QString card = likelyLanCard(cards);
    return FixLine(
        check, true,
        QStringLiteral("no route for 255.255.255.255 (%1), so SCAN sends nothing: %2, or "
                       "velmaro-cli scan --all-interfaces")
            .arg(route.failure ? route.failure->description : QStringLiteral("none"),
                 platform::BroadcastRouteFix(card)));
  }
  QString found = QStringLiteral("255.255.255.255 leaves through %1").arg(route.interfaceName);
  if (route.source != 0) found += QStringLiteral(" from %1").arg(DottedAddress(route.source));
  const std::vector<NetworkInterface> others = QueryCards(cards);
  if (others.size() > 1) {
    found += QStringLiteral("; %1 other cards hear it only with --all-interfaces")
                 .arg(others.size() - 1);
  }
  return OkLine(check, found);
}

DoctorLine CheckTunnels(const platform::RouteLookup& route,
                        const std::vector<NetworkInterface>& cards) {
  const QString check = QStringLiteral("tunnels");
  QStringList up;
  for (const NetworkInterface& card : cards) {
    if (card.up && card.kind == LinkKind::Tunnel) up.append(tunnelName(card));
  }
  const NetworkInterface* leaving = cardNamed(cards, route.interfaceName);
  if (leaving != nullptr && leaving->kind == LinkKind::Tunnel) {
    return FixLine(
        check, true,
        QStringLiteral("the query leaves through %1, a tunnel or VPN where no unit hears "
                       "it: disconnect the VPN, or velmaro-cli scan --all-interfaces")
            .arg(tunnelName(*leaving)));
  }
  if (up.isEmpty()) return OkLine(check, QStringLiteral("no tunnel or VPN is up"));
  return OkLine(check, QStringLiteral("%1 up, but the query does not leave through it")
                           .arg(up.join(QStringLiteral(", "))));
}

DoctorLine CheckCardsWithoutIPv4(const std::vector<NetworkInterface>& cards) {
  const QString check = QStringLiteral("ipv4-addresses");
  QStringList bare;
  bool anyAddressed = false;
  for (const NetworkInterface& card : cards) {
    if (!card.up || card.kind == LinkKind::Loopback) continue;
    if (card.ipv4.empty()) {
      bare.append(card.name);
    } else {
      anyAddressed = true;
    }
  }
  if (bare.isEmpty()) return OkLine(check, QStringLiteral("every card that is up has one"));
  const QString fix = QStringLiteral(
                          "%1 %2 up without an IPv4 address, so units there cannot be "
                          "reached: connect a DHCP server or %3")
                          .arg(bare.join(QStringLiteral(", ")),
                               bare.size() == 1 ? QStringLiteral("is") : QStringLiteral("are"),
                               platform::AddAddressFix(QStringLiteral("ADDRESS/24"), bare.front()));
  // Only a PC with no IPv4 network at all cannot scan.
  return FixLine(check, !anyAddressed, fix);
}

DoctorLine CheckReplies(const std::optional<std::vector<CardProbe>>& probes) {
  const QString check = QStringLiteral("replies");
  if (!probes) {
    return {check, Verdict::NotChecked, false,
            QStringLiteral("not checked: velmaro-cli doctor --probe sends one query per card and "
                           "listens")};
  }
  if (probes->empty()) {
    return FixLine(check, true,
                   QStringLiteral("no card is up with an IPv4 address to send the query on"));
  }
  QStringList found;
  for (const CardProbe& probe : *probes) {
    if (probe.failure) {
      return FixLine(check, true,
                     QStringLiteral("the query could not go out on %1: %2 (error %3)")
                         .arg(probe.interfaceName, probe.failure->description,
                              QString::number(probe.failure->number)));
    }
    if (probe.replies == 0 && probe.neighbours > 0) {
      return FixLine(
          check, true,
          QStringLiteral("%1: the query went out and nothing came back, yet %2 hosts are "
                         "in the neighbour table there: if units are on this network, a "
                         "firewall drops their replies; allow UDP to port %3 (%4)")
              .arg(probe.interfaceName, QString::number(probe.neighbours),
                   QString::number(tunables::kReplyPort),
                   platform::FirewallFix(tunables::kReplyPort)));
    }
    found.append(probe.replies > 0
                     ? QStringLiteral("%1: %2 replies")
                           .arg(probe.interfaceName, QString::number(probe.replies))
                     : QStringLiteral("%1: no reply and no neighbour").arg(probe.interfaceName));
  }
  return OkLine(check, found.join(QStringLiteral("; ")));
}

}  // namespace velmaro

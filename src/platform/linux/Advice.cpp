#include "platform/Advice.h"

namespace velmaro::platform {

QString EchoPermissionFix(const QString& cliProgram) {
  return QStringLiteral(
             "sudo sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"; only where that range "
             "must stay closed, sudo setcap cap_net_raw+ep %1")
      .arg(cliProgram);
}

QString EchoPermissionSteps(const QString& cliProgram) {
  return QStringLiteral(
             "Let your group send unprivileged pings:\n"
             "    sudo sysctl -w net.ipv4.ping_group_range=\"0 2147483647\"\n"
             "Only where that range must stay closed, give the command line program the right "
             "to send pings and sweep with it:\n"
             "    sudo setcap cap_net_raw+ep \"%1\"")
      .arg(cliProgram);
}

QString PortHolderFix(quint16 port) {
  return QStringLiteral("close it (sudo ss -ulpn 'sport = :%1' names it)").arg(port);
}

QString BroadcastRouteFix(const QString& card) {
  return QStringLiteral("sudo ip route add 255.255.255.255/32 dev %1").arg(card);
}

QString AddAddressFix(const QString& address, const QString& card) {
  return QStringLiteral("sudo ip addr add %1 dev %2").arg(address, card);
}

QString FirewallFix(quint16 port) {
  return QStringLiteral(
             "sudo nft insert rule inet filter input udp dport %1 accept, or sudo ufw allow "
             "%1/udp")
      .arg(port);
}

// The per-user folder follows HOME (through XDG_DATA_HOME).
QString WritableFolderFix() {
  return QStringLiteral("make the folder writable for this user (or set HOME to a writable home)");
}

}  // namespace velmaro::platform

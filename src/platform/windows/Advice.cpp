#include "platform/Advice.h"

namespace velmaro::platform {
namespace {

// Every fix below changes the system: the user runs it in an administrator prompt.
const QString kEchoRule = QStringLiteral(
    "netsh advfirewall firewall add rule name=\"Velmaro ICMP echo replies\" dir=in action=allow "
    "protocol=icmpv4:0,any");

// "A.B.C.D/n" as netsh takes it, "A.B.C.D M.M.M.M"; a text without a whole prefix length
// (a placeholder) keeps its /n for the reader to fill in.
QString addressAndMask(const QString& address) {
  const qsizetype slash = address.lastIndexOf(u'/');
  if (slash < 0) return address + QStringLiteral(" 255.255.255.255");
  bool ok = false;
  const int prefix = address.mid(slash + 1).toInt(&ok, 10);
  if (!ok || prefix < 0 || prefix > 32) return address;
  const quint32 mask = prefix == 0 ? 0 : ~quint32(0) << (32 - prefix);
  return QStringLiteral("%1 %2.%3.%4.%5")
      .arg(address.first(slash))
      .arg(mask >> 24)
      .arg((mask >> 16) & 0xFF)
      .arg((mask >> 8) & 0xFF)
      .arg(mask & 0xFF);
}

}  // namespace

// Windows lets every user send echo requests; what stops their replies is the firewall.
QString EchoPermissionFix(const QString& /*cliProgram*/) {
  return QStringLiteral("let echo replies in through the firewall, as administrator: %1")
      .arg(kEchoRule);
}

QString EchoPermissionSteps(const QString& /*cliProgram*/) {
  return QStringLiteral(
             "Windows lets every user send pings; let their replies in through the firewall "
             "from an administrator prompt:\n"
             "    %1")
      .arg(kEchoRule);
}

QString PortHolderFix(quint16 port) {
  return QStringLiteral(
             "close it (netstat -ano -p udp | findstr :%1 gives its PID, which Task Manager's "
             "Details tab names)")
      .arg(port);
}

// Windows picks the card with the lowest metric for the limited broadcast; a host route on
// the card with the lowest metric of all sends it there.
QString BroadcastRouteFix(const QString& card) {
  return QStringLiteral(
             "netsh interface ipv4 add route 255.255.255.255/32 \"%1\" metric=1 store=active")
      .arg(card);
}

QString AddAddressFix(const QString& address, const QString& card) {
  return QStringLiteral("netsh interface ipv4 add address \"%1\" %2")
      .arg(card, addressAndMask(address));
}

QString FirewallFix(quint16 port) {
  return QStringLiteral(
             "netsh advfirewall firewall add rule name=\"Velmaro UDP %1\" dir=in action=allow "
             "protocol=UDP localport=%1")
      .arg(port);
}

// A copy in a folder the user may write keeps its log beside itself, whatever the profile.
QString WritableFolderFix() {
  return QStringLiteral(
      "make the folder writable for this user (or keep a copy of Velmaro in a folder this user "
      "can write to)");
}

}  // namespace velmaro::platform

// What the user does to fix a situation on this system, in the system's own commands. The
// messages around each fix are the same everywhere; only the commands differ per system.
#pragma once

#include <QString>

namespace velmaro::platform {

// Letting this user send echo requests, in one line; `cliProgram` is the command line
// program's path (the one program that may be lent a right, never the window).
QString EchoPermissionFix(const QString& cliProgram);
// The same as a message box's paragraphs: each command on its own indented line.
QString EchoPermissionSteps(const QString& cliProgram);
// How to name the program that holds UDP `port`, as "close it (...)".
QString PortHolderFix(quint16 port);
// A route that sends the limited broadcast 255.255.255.255 out of `card`.
QString BroadcastRouteFix(const QString& card);
// Giving `card` the address `address` ("A.B.C.D/n", or a placeholder such as "ADDRESS/24").
QString AddAddressFix(const QString& address, const QString& card);
// Letting UDP datagrams to `port` in through the firewall.
QString FirewallFix(quint16 port);
// Where ErrorLog.txt can go when the folder it would go to cannot be written.
QString WritableFolderFix();

}  // namespace velmaro::platform

// What the program needs of the operating system, one narrow facility each. The core sees
// only this; the backends live in linux/ and windows/, fakes for tests in the test tree.
// A new facility is a function here, its backend in linux/ and windows/ (declared in
// LinuxBackends.h and WindowsBackends.h, forwarded to by LinuxPlatform.cpp and
// WindowsPlatform.cpp) and its scripted answer in tests/support/FakePlatform;
// the benchmarks' and fuzz targets' platforms derive from that fake, so nothing else
// changes. A body here only for an answer right on every system, as allowsWebRequest's.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "platform/DatagramSocket.h"
#include "platform/EchoSocket.h"
#include "platform/NeighbourWatch.h"
#include "platform/NetworkFacts.h"
#include "support/CommandLine.h"

namespace velmaro::platform {

// One network adapter with a link-layer address.
struct Adapter {
  QString name;
  QByteArray hardwareAddress;  // raw bytes, 6 for Ethernet
  std::vector<quint32> ipv4;   // its IPv4 addresses, host byte order
};

using velmaro::CommandLine;

class Platform {
 public:
  virtual ~Platform() = default;

  // An ICMP echo socket: unprivileged where the system allows it, raw otherwise.
  virtual EchoOpenResult openEchoSocket() = 0;
  virtual std::unique_ptr<DatagramSocket> createDatagramSocket() = 0;
  // A UDP socket tied to one network card: its bind takes the port on that card only, its
  // sends leave through that card whatever the routes say, and every datagram it receives
  // names the card it arrived on.
  virtual std::unique_ptr<DatagramSocket> createInterfaceSocket(const QString& interfaceName) = 0;

  // Every IPv4 address of the host, loopback included, host byte order; nothing when the
  // table cannot be read.
  virtual std::optional<std::vector<quint32>> ipv4Addresses() = 0;
  // The adapters that have a link-layer address, loopback excluded, in the system's
  // order; nothing when the list cannot be read.
  virtual std::optional<std::vector<Adapter>> adapters() = 0;

  // Every network card with its state, kind and IPv4 addresses; nothing when the list
  // cannot be read.
  virtual std::optional<std::vector<NetworkInterface>> networkInterfaces() = 0;
  // The system's own route look-up for one destination (host byte order); sends nothing.
  virtual RouteLookup routeTo(quint32 destination) = 0;
  // The neighbour table as the kernel holds it now; nothing when it cannot be read.
  virtual std::optional<std::vector<Neighbour>> neighbours() = 0;
  // The neighbour table's changes from now on, starting with its present entries; null
  // where the system cannot tell of changes (the caller then reads the table itself).
  virtual std::unique_ptr<NeighbourWatch> watchNeighbours() = 0;
  // The user's requests to stop the program, for as long as the object lives; one at a
  // time in a process.
  virtual std::unique_ptr<StopRequests> watchStopRequests() = 0;
  // The facts that decide whether this process may send ICMP echo requests, and how.
  virtual IcmpPermission icmpPermission() = 0;

  // The command that lists the neighbour (ARP) table on standard output, and the
  // conversion of its listing into lines of "address  physical-address  type". A system
  // whose table is better read without a program names none (an empty program): the table
  // then comes from neighbourListing().
  virtual CommandLine arpCommand() const = 0;
  virtual QByteArray convertArpListing(const QByteArray& listing) const = 0;
  // The same table in that converted layout, read from the kernel at once without starting
  // a program; nothing when it cannot be read.
  virtual std::optional<QByteArray> neighbourListing() = 0;

  // Whether a web page may be requested from `host` (a name or a dotted address). The
  // machine's own backend lets every host through; a test backend keeps them on loopback.
  virtual bool allowsWebRequest(const QString& /*host*/) const { return true; }
};

// The backend of the machine the program runs on.
std::unique_ptr<Platform> createSystemPlatform();

// Gives up every privilege the program file or its caller lent the process, keeping only
// what sending echo requests needs. The first call of main, before any Q*Application
// exists: the toolkit honours its environment and loads plugins, which must never run with
// more than the user's own rights. Returns why it could not (then the program must stop),
// empty when done.
QString dropPrivileges();

}  // namespace velmaro::platform

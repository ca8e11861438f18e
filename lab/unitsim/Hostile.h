// Units that misbehave on purpose, for the lab's hostile-network tests: a flood of
// discovery answers, web servers that break HTTP in the ways a client must survive, and
// forged ICMP that must never count as an answer. The bytes are pure functions, so the
// tests know exactly what was sent.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <optional>

class QTcpSocket;
class QUdpSocket;

namespace velmaro::lab {

// --- A flood of datagrams to the reply port -------------------------------------------

// 20,000 datagrams in 2 s: well-formed answers, malformed ones, 64 KiB ones and empty ones.
inline constexpr int kFloodDatagrams = 20000;
inline constexpr int kFloodMilliseconds = 2000;
// The largest UDP payload IPv4 carries: what "64 KiB" can be on the wire.
inline constexpr int kLargestDatagram = 65507;

enum class FloodKind { WellFormed, Malformed, Huge, Empty };
FloodKind FloodKindOf(int index);
// The index-th datagram; a well-formed one names the unit "FLOOD-<index>" (5 digits).
QByteArray FloodDatagram(int index);
int FloodCount(FloodKind kind);
QString FloodUnitName(int index);

// "flood PORT": a unit with a flood port floods the sender's address at PORT.
QByteArray FloodCommand(quint16 port);
std::optional<quint16> FloodCommandPort(QByteArrayView datagram);

// Sends one flood, paced over kFloodMilliseconds; a send the system refuses for now is
// tried again on the next tick, so every datagram of the flood goes out.
class FloodSender : public QObject {
  Q_OBJECT
 public:
  FloodSender(QUdpSocket& socket, QString target, quint16 port, QObject* parent);
  bool done() const { return m_next >= kFloodDatagrams; }

 signals:
  void finished();

 private:
  void tick();

  QUdpSocket& m_socket;
  QString m_target;
  quint16 m_port;
  int m_next = 0;
  QElapsedTimer m_clock;
};

// --- Web servers that break HTTP ------------------------------------------------------

enum class HostileWeb {
  Huge,        // a 100 MB body, its length announced
  Drip,        // the head one byte a second
  Cut,         // a body cut off halfway, the connection closed
  BadChunked,  // chunked encoding with chunk sizes that are not numbers
  // Heads that never end, sent as fast as the client takes them:
  EndlessHeaderLine,  // one header line
  EndlessHeaders,     // header lines
  EndlessContinue,    // "100 Continue" heads
  EndlessChunkSize,   // the first chunk-size line
  Negotiate,          // 401 asking for Kerberos log-in ("WWW-Authenticate: Negotiate")
};
inline constexpr qint64 kHugeBodyBytes = 100LL * 1000 * 1000;

std::optional<HostileWeb> HostileWebFromName(QStringView name);
// What a hostile server sends at once, before any dripping or streaming.
QByteArray HostileWebStart(HostileWeb kind);
// What an endless head repeats after its start; empty for the other kinds.
QByteArray HostileWebFiller(HostileWeb kind);
// Answers one request on `socket` in the hostile way; the socket is closed when done.
void ServeHostileWeb(QTcpSocket* socket, HostileWeb kind);

// --- Forged ICMP ----------------------------------------------------------------------

struct EchoSeen {
  quint32 client = 0;  // who asked (host byte order)
  quint32 unit = 0;    // the unit's own address, asked
  quint16 identifier = 0;
  quint16 sequence = 0;
  QByteArray data;
};

// The packets (each a whole IPv4 datagram) a noise unit answers one echo request with, for
// a victim address the client pings right after the unit (its sequence number one more):
// replies with a wrong identifier, with a sequence number not in flight, a truncated one,
// a reply from the victim with other data, and a destination-unreachable error about the
// victim. None of them may count as an answer.
QList<QByteArray> NoisePackets(const EchoSeen& request, quint32 victim);
// The same request's genuine reply, and one from the victim, to be sent again during a
// later sweep: numbers of an earlier sweep.
QList<QByteArray> StaleReplies(const EchoSeen& request, quint32 victim);
// The echo request in an IPv4 datagram as a raw socket hands it over; nothing otherwise.
std::optional<EchoSeen> ReadEchoRequest(QByteArrayView datagram);

}  // namespace velmaro::lab

#include "Hostile.h"

#include <QElapsedTimer>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>
#include <QUdpSocket>
#include <memory>

namespace velmaro::lab {
namespace {

// The flood is paced by this tick; each tick sends what the schedule owes.
constexpr int kFloodTickMs = 1;
// The web servers stream in pieces this large and refill below this much unsent.
constexpr qint64 kStreamPiece = 16 * 1024;
constexpr qint64 kStreamLowWater = 64 * 1024;
constexpr int kDripIntervalMs = 1000;
// An endless head still ends somewhere, should the connection's time-out not come first.
constexpr qint64 kEndlessHeadBytes = 4LL * 1000 * 1000 * 1000;

// Sends `bytes` more, `piece` after `piece`, as fast as the client takes them, then closes.
void Stream(QTcpSocket* socket, const QByteArray& piece, qint64 bytes) {
  auto sent = std::make_shared<qint64>(0);
  auto refill = [socket, sent, piece, bytes] {
    while (socket->bytesToWrite() < kStreamLowWater && *sent < bytes) {
      const qint64 n = std::min<qint64>(piece.size(), bytes - *sent);
      const qint64 written = socket->write(piece.constData(), n);
      if (written <= 0) return;  // the client is gone
      *sent += written;
    }
    if (*sent >= bytes) socket->disconnectFromHost();
  };
  QObject::connect(socket, &QTcpSocket::bytesWritten, socket, refill);
  refill();
}

quint16 checksum(QByteArrayView bytes) {
  quint32 sum = 0;
  qsizetype i = 0;
  for (; i + 1 < bytes.size(); i += 2)
    sum += (quint32(quint8(bytes[i])) << 8) | quint8(bytes[i + 1]);
  if (i < bytes.size()) sum += quint32(quint8(bytes[i])) << 8;
  while (sum >> 16) sum = (sum & 0xFFFF) + (sum >> 16);
  return quint16(~sum);
}

void put16(QByteArray& bytes, qsizetype at, quint16 value) {
  bytes[at] = char(value >> 8);
  bytes[at + 1] = char(value & 0xFF);
}
void put32(QByteArray& bytes, qsizetype at, quint32 value) {
  put16(bytes, at, quint16(value >> 16));
  put16(bytes, at + 2, quint16(value & 0xFFFF));
}
quint16 get16(QByteArrayView bytes, qsizetype at) {
  return quint16((quint8(bytes[at]) << 8) | quint8(bytes[at + 1]));
}
quint32 get32(QByteArrayView bytes, qsizetype at) {
  return (quint32(get16(bytes, at)) << 16) | get16(bytes, at + 2);
}

constexpr int kIpHeader = 20;
constexpr int kIcmpHeader = 8;
constexpr quint8 kEchoReply = 0;
constexpr quint8 kUnreachable = 3;
constexpr quint8 kEchoRequest = 8;

QByteArray icmpMessage(quint8 type, quint8 code, quint16 identifier, quint16 sequence,
                       QByteArrayView payload) {
  QByteArray message(kIcmpHeader, '\0');
  message[0] = char(type);
  message[1] = char(code);
  put16(message, 4, identifier);
  put16(message, 6, sequence);
  message.append(payload);
  put16(message, 2, checksum(message));
  return message;
}

QByteArray ipDatagram(quint32 source, quint32 destination, QByteArrayView payload) {
  QByteArray packet(kIpHeader, '\0');
  packet[0] = char(0x45);
  put16(packet, 2, quint16(kIpHeader + payload.size()));
  packet[8] = char(64);  // time to live
  packet[9] = char(1);   // ICMP
  put32(packet, 12, source);
  put32(packet, 16, destination);
  put16(packet, 10, checksum(packet));
  packet.append(payload);
  return packet;
}

QByteArray reply(quint32 from, const EchoSeen& request, quint16 identifier, quint16 sequence,
                 QByteArrayView data) {
  return ipDatagram(from, request.client, icmpMessage(kEchoReply, 0, identifier, sequence, data));
}

}  // namespace

// --- The flood ------------------------------------------------------------------------

FloodKind FloodKindOf(int index) {
  if (index % 50 == 49) return FloodKind::Huge;
  switch (index % 3) {
    case 0:
      return FloodKind::WellFormed;
    case 1:
      return FloodKind::Malformed;
    default:
      return FloodKind::Empty;
  }
}

QString FloodUnitName(int index) {
  return QStringLiteral("FLOOD-%1").arg(index, 5, 10, QLatin1Char('0'));
}

QByteArray FloodDatagram(int index) {
  switch (FloodKindOf(index)) {
    case FloodKind::WellFormed: {
      QByteArray name = FloodUnitName(index).toLatin1();
      name.append(QByteArray(16 - name.size(), '\0'));
      return name + "\r\n00-0A-2B-01-80-01\r\nFlood\r\n50";
    }
    case FloodKind::Malformed:
      switch ((index / 3) % 3) {
        case 0:
          return "FLOOD\r\n00-0A-2B-01-80-01 with only two lines";
        case 1:
          return "FLOOD-LF\n00-0A-2B-01-80-01\nLines end in LF\n50";
        default:
          return "FLOOD\r\n00-0A-2B-01-80-01\r\n1234";  // 31 bytes
      }
    case FloodKind::Huge:
      return QByteArray(kLargestDatagram, 'x');
    case FloodKind::Empty:
      return {};
  }
  return {};
}

int FloodCount(FloodKind kind) {
  int count = 0;
  for (int i = 0; i < kFloodDatagrams; ++i) count += FloodKindOf(i) == kind ? 1 : 0;
  return count;
}

QByteArray FloodCommand(quint16 port) { return "flood " + QByteArray::number(port); }

std::optional<quint16> FloodCommandPort(QByteArrayView datagram) {
  if (!datagram.startsWith("flood ") || datagram.size() > 12) return std::nullopt;
  bool ok = false;
  const uint port = datagram.sliced(6).toByteArray().toUInt(&ok);
  if (!ok || port == 0 || port > 65535) return std::nullopt;
  return quint16(port);
}

FloodSender::FloodSender(QUdpSocket& socket, QString target, quint16 port, QObject* parent)
    : QObject(parent), m_socket(socket), m_target(std::move(target)), m_port(port) {
  auto* timer = new QTimer(this);
  timer->setTimerType(Qt::PreciseTimer);
  connect(timer, &QTimer::timeout, this, &FloodSender::tick);
  timer->start(kFloodTickMs);
  m_clock.start();
}

void FloodSender::tick() {
  const qint64 elapsed = m_clock.elapsed();
  const qint64 owed = std::min<qint64>(
      kFloodDatagrams, (elapsed + kFloodTickMs) * kFloodDatagrams / kFloodMilliseconds);
  const QHostAddress target(m_target);
  while (m_next < owed) {
    if (m_socket.writeDatagram(FloodDatagram(m_next), target, m_port) < 0) break;  // next tick
    ++m_next;
  }
  if (done()) {
    emit finished();
    deleteLater();
  }
}

// --- Web servers that break HTTP ------------------------------------------------------

std::optional<HostileWeb> HostileWebFromName(QStringView name) {
  if (name == u"huge") return HostileWeb::Huge;
  if (name == u"drip") return HostileWeb::Drip;
  if (name == u"cut") return HostileWeb::Cut;
  if (name == u"bad-chunked") return HostileWeb::BadChunked;
  if (name == u"endless-header-line") return HostileWeb::EndlessHeaderLine;
  if (name == u"endless-headers") return HostileWeb::EndlessHeaders;
  if (name == u"endless-continue") return HostileWeb::EndlessContinue;
  if (name == u"endless-chunk-size") return HostileWeb::EndlessChunkSize;
  if (name == u"negotiate") return HostileWeb::Negotiate;
  return std::nullopt;
}

QByteArray HostileWebStart(HostileWeb kind) {
  const QByteArray page = "<html><head><title>Hostile unit</title></head><body>";
  switch (kind) {
    case HostileWeb::Huge:
      return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: " +
             QByteArray::number(kHugeBodyBytes) + "\r\nConnection: close\r\n\r\n" + page;
    case HostileWeb::Drip:
      return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n" + page +
             "Dripped</body></html>\r\n";
    case HostileWeb::Cut:
      return "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: 10000\r\n"
             "Connection: close\r\n\r\n" +
             page + QByteArray(3000 - page.size(), 'c');
    case HostileWeb::BadChunked:
      return "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nTransfer-Encoding: chunked\r\n"
             "Connection: close\r\n\r\nzz\r\n" +
             page + "\r\n-5\r\nabc\r\n";
    case HostileWeb::EndlessHeaderLine:
      return "HTTP/1.1 200 OK\r\nX-Endless: ";
    case HostileWeb::EndlessHeaders:
      return "HTTP/1.1 200 OK\r\n";
    case HostileWeb::EndlessContinue:
      return {};
    case HostileWeb::EndlessChunkSize:
      return "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n";
    case HostileWeb::Negotiate: {
      const QByteArray body = "<html><head><title>401 Unauthorized</title></head></html>\r\n";
      return "HTTP/1.1 401 Unauthorized\r\nWWW-Authenticate: Negotiate\r\nContent-Length: " +
             QByteArray::number(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
    }
  }
  return {};
}

QByteArray HostileWebFiller(HostileWeb kind) {
  switch (kind) {
    case HostileWeb::EndlessHeaderLine:
      return QByteArray(kStreamPiece, 'a');
    case HostileWeb::EndlessHeaders:
      return QByteArray("X-Endless: header\r\n").repeated(kStreamPiece / 19);
    case HostileWeb::EndlessContinue:
      return QByteArray("HTTP/1.1 100 Continue\r\n\r\n").repeated(kStreamPiece / 25);
    case HostileWeb::EndlessChunkSize:
      return QByteArray(kStreamPiece, '0');
    default:
      return {};
  }
}

void ServeHostileWeb(QTcpSocket* socket, HostileWeb kind) {
  const QByteArray start = HostileWebStart(kind);
  switch (kind) {
    case HostileWeb::Cut:
    case HostileWeb::BadChunked:
    case HostileWeb::Negotiate:
      socket->write(start);
      socket->disconnectFromHost();
      return;
    case HostileWeb::Drip: {
      auto* timer = new QTimer(socket);
      auto next = std::make_shared<qsizetype>(0);
      QObject::connect(timer, &QTimer::timeout, socket, [socket, timer, next, start] {
        if (*next >= start.size()) {
          timer->stop();
          socket->disconnectFromHost();
          return;
        }
        socket->write(start.mid((*next)++, 1));
      });
      timer->start(kDripIntervalMs);
      return;
    }
    case HostileWeb::Huge:
      socket->write(start);
      Stream(socket, QByteArray(kStreamPiece, 'h'),
             kHugeBodyBytes - (start.size() - start.indexOf("\r\n\r\n") - 4));
      return;
    case HostileWeb::EndlessHeaderLine:
    case HostileWeb::EndlessHeaders:
    case HostileWeb::EndlessContinue:
    case HostileWeb::EndlessChunkSize:
      // Until the client gives up or the connection's time-out ends it.
      socket->write(start);
      Stream(socket, HostileWebFiller(kind), kEndlessHeadBytes);
      return;
  }
}

// --- Forged ICMP ----------------------------------------------------------------------

std::optional<EchoSeen> ReadEchoRequest(QByteArrayView datagram) {
  if (datagram.size() < kIpHeader + kIcmpHeader) return std::nullopt;
  const int headerSize = (quint8(datagram[0]) & 0x0F) * 4;
  if ((quint8(datagram[0]) >> 4) != 4 || headerSize < kIpHeader ||
      datagram.size() < headerSize + kIcmpHeader || quint8(datagram[9]) != 1)
    return std::nullopt;
  const QByteArrayView message = datagram.sliced(headerSize);
  if (quint8(message[0]) != kEchoRequest) return std::nullopt;
  EchoSeen seen;
  seen.client = get32(datagram, 12);
  seen.unit = get32(datagram, 16);
  seen.identifier = get16(message, 4);
  seen.sequence = get16(message, 6);
  seen.data = message.sliced(kIcmpHeader).toByteArray();
  return seen;
}

QList<QByteArray> NoisePackets(const EchoSeen& request, quint32 victim) {
  const quint16 victimSequence = quint16(request.sequence + 1);
  QByteArray otherData = request.data;
  if (otherData.isEmpty()) otherData = "X";
  otherData[otherData.size() - 1] = char(otherData.back() ^ 0x01);
  // The error about the victim carries the start of the request the client sent it.
  const QByteArray quoted =
      ipDatagram(request.client, victim,
                 icmpMessage(kEchoRequest, 0, request.identifier, victimSequence, request.data))
          .left(kIpHeader + kIcmpHeader);
  QByteArray truncated = reply(victim, request, request.identifier, victimSequence, request.data);
  truncated.truncate(kIpHeader + 6);
  put16(truncated, 2, quint16(truncated.size()));
  put16(truncated, 10, 0);
  put16(truncated, 10, checksum(truncated.left(kIpHeader)));
  return {
      reply(request.unit, request, quint16(request.identifier ^ 0x5555), request.sequence,
            request.data),
      reply(request.unit, request, request.identifier, quint16(request.sequence + 0x4000),
            request.data),
      truncated,
      reply(victim, request, request.identifier, victimSequence, otherData),
      ipDatagram(request.unit, request.client, icmpMessage(kUnreachable, 1, 0, 0, quoted)),
  };
}

QList<QByteArray> StaleReplies(const EchoSeen& request, quint32 victim) {
  return {reply(request.unit, request, request.identifier, request.sequence, request.data),
          reply(victim, request, request.identifier, quint16(request.sequence + 1), request.data)};
}

}  // namespace velmaro::lab

#include "UnitServer.h"

#include <QNetworkDatagram>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTextStream>
#include <QTimer>
#include <QUdpSocket>
#include <memory>

namespace velmaro::lab {
namespace {

// A unit answers a handful of queries a second; anything beyond is a runaway sender.
constexpr int kMaxRepliesPerSecond = 200;
constexpr int kMaxDatagramsPerWakeup = 64;
constexpr int kMaxConnections = 32;
constexpr int kConnectionTimeoutMs = 5000;
// An endless page still ends: at this many bytes, or at the connection's time-out.
constexpr qint64 kEndlessLimitBytes = 256LL * 1024 * 1024;
// Refill the socket when less than this waits to be sent, so the unit holds little itself.
constexpr qint64 kEndlessLowWater = 64 * 1024;
// A unit that runs for hours keeps only its first requests.
constexpr qsizetype kMaxRecordedRequests = 1000;

void Log(const QString& line) {
  QTextStream out(stdout);
  out << line << Qt::endl;
}

}  // namespace

UnitServer::UnitServer(UnitOptions options, QObject* parent)
    : QObject(parent), m_options(std::move(options)) {
  m_rateWindow.start();
}

bool UnitServer::start(QString* why) {
  if (m_options.udpPort != 0) {
    m_udp = new QUdpSocket(this);
    if (!m_udp->bind(m_options.bindAddress, m_options.udpPort)) {
      *why = QStringLiteral("UDP port %1: %2").arg(m_options.udpPort).arg(m_udp->errorString());
      return false;
    }
    connect(m_udp, &QUdpSocket::readyRead, this, &UnitServer::answerQueries);
  }
  if (m_options.httpPort != 0) {
    m_http = new QTcpServer(this);
    m_http->setMaxPendingConnections(kMaxConnections);
    if (!m_http->listen(m_options.bindAddress, m_options.httpPort)) {
      *why = QStringLiteral("TCP port %1: %2").arg(m_options.httpPort).arg(m_http->errorString());
      return false;
    }
    connect(m_http, &QTcpServer::newConnection, this, &UnitServer::acceptConnection);
  }
  if (m_options.floodPort != 0) {
    m_flood = new QUdpSocket(this);
    if (!m_flood->bind(m_options.bindAddress, m_options.floodPort)) {
      *why = QStringLiteral("UDP port %1: %2").arg(m_options.floodPort).arg(m_flood->errorString());
      return false;
    }
    connect(m_flood, &QUdpSocket::readyRead, this, &UnitServer::startFloods);
  }
  return true;
}

// --- Hostile units (Hostile.h) ---
void UnitServer::startFloods() {
  while (m_flood->hasPendingDatagrams()) {
    const QNetworkDatagram command = m_flood->receiveDatagram();
    const auto port = FloodCommandPort(command.data());
    // One flood at a time: a second command while one runs is ignored.
    if (!port || findChild<FloodSender*>()) continue;
    const QString target = command.senderAddress().toString();
    Log(QStringLiteral("flooding %1:%2 with %3 datagrams")
            .arg(target)
            .arg(*port)
            .arg(kFloodDatagrams));
    auto* sender = new FloodSender(*m_flood, target, *port, this);
    connect(sender, &FloodSender::finished, this,
            [target] { Log(QStringLiteral("flood of %1 done").arg(target)); });
  }
}

bool UnitServer::replyAllowed() {
  if (m_rateWindow.elapsed() >= 1000) {
    m_rateWindow.restart();
    m_repliesInWindow = 0;
  }
  return ++m_repliesInWindow <= kMaxRepliesPerSecond;
}

void UnitServer::answerQueries() {
  for (int i = 0; i < kMaxDatagramsPerWakeup && m_udp->hasPendingDatagrams(); ++i) {
    const QNetworkDatagram query = m_udp->receiveDatagram();
    if (!query.isValid()) continue;
    const QString from =
        QStringLiteral("%1:%2").arg(query.senderAddress().toString()).arg(query.senderPort());
    if (!IsDiscoveryQuery(query.data())) {
      Log(QStringLiteral("ignored %1 bytes from %2").arg(query.data().size()).arg(from));
      continue;
    }
    const QByteArray reply = BuildReply(m_options.identity);
    if (reply.isEmpty() || !replyAllowed()) {
      Log(QStringLiteral("query from %1 left unanswered").arg(from));
      continue;
    }
    // The reply goes back where the query came from, address and port.
    const qint64 sent = m_udp->writeDatagram(reply, query.senderAddress(), query.senderPort());
    Log(QStringLiteral("query from %1 answered with %2 bytes").arg(from).arg(sent));
  }
  // Whatever is left is picked up on the next wakeup.
  if (m_udp->hasPendingDatagrams()) QTimer::singleShot(0, this, &UnitServer::answerQueries);
}

void UnitServer::acceptConnection() {
  while (QTcpSocket* socket = m_http->nextPendingConnection()) {
    if (m_openConnections >= kMaxConnections) {
      socket->abort();
      socket->deleteLater();
      continue;
    }
    serve(socket);
  }
}

void UnitServer::serve(QTcpSocket* socket) {
  ++m_openConnections;
  socket->setParent(this);
  auto* timeout = new QTimer(socket);
  timeout->setSingleShot(true);
  connect(timeout, &QTimer::timeout, socket, &QTcpSocket::abort);
  timeout->start(kConnectionTimeoutMs);
  connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
  connect(socket, &QObject::destroyed, this, [this] { --m_openConnections; });
  connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
    if (socket->property("answered").toBool()) {
      socket->readAll();  // nothing more is read once the answer is out
      return;
    }
    QByteArray received = socket->property("received").toByteArray();
    received += socket->read(kMaxRequestHead + 1 - received.size());
    const HeadParse request = ParseRequestHead(received);
    if (request.status == HeadStatus::Incomplete && received.size() <= kMaxRequestHead) {
      socket->setProperty("received", received);
      return;
    }
    socket->setProperty("answered", true);
    if (request.status == HeadStatus::Complete && m_requested.size() < kMaxRecordedRequests)
      m_requested.append(request.head.page);
    if (m_options.hostileWeb && request.status == HeadStatus::Complete) {
      Log(QStringLiteral("GET %1 from %2: answered the hostile way")
              .arg(request.head.page, socket->peerAddress().toString()));
      ServeHostileWeb(socket, *m_options.hostileWeb);
      return;
    }
    const WebBehaviour behaviour = m_options.pages.behaviour;
    if (behaviour == WebBehaviour::Silent && request.status == HeadStatus::Complete) {
      // The connection stays open until the client gives up or the time-out aborts it.
      Log(QStringLiteral("GET %1 from %2: left unanswered")
              .arg(request.head.page, socket->peerAddress().toString()));
      return;
    }
    const QByteArray response = BuildResponse(m_options.pages, request);
    Log(QStringLiteral("GET %1 from %2: %3")
            .arg(request.head.page, socket->peerAddress().toString(),
                 QString::fromLatin1(response.left(response.indexOf('\r')))));
    socket->write(response);
    if (behaviour == WebBehaviour::Endless && request.status == HeadStatus::Complete &&
        request.head.method == "GET") {
      sendEndlessly(socket);
      return;
    }
    socket->disconnectFromHost();
  });
}

void UnitServer::sendEndlessly(QTcpSocket* socket) {
  auto sent = std::make_shared<qint64>(0);
  auto refill = [socket, sent] {
    static const QByteArray filler = EndlessFiller();
    while (socket->bytesToWrite() < kEndlessLowWater && *sent < kEndlessLimitBytes) {
      *sent += socket->write(filler);
    }
    if (*sent >= kEndlessLimitBytes) socket->disconnectFromHost();
  };
  connect(socket, &QTcpSocket::bytesWritten, socket, refill);
  refill();
}

}  // namespace velmaro::lab

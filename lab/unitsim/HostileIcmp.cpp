// The noise unit's raw sockets: one that sees the echo requests sent to this host, one
// that sends whole IPv4 datagrams with any source address.
#include "HostileIcmp.h"

#include "Hostile.h"
#include "LabNamespaceCheck.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstring>

namespace velmaro::lab {
namespace {
// A noise unit answers a sweep, not a flood of requests: beyond this many a second it
// stays quiet, so it can never be made to amplify anything.
constexpr int kMaxAnsweredPerSecond = 50;
constexpr int kMaxPacket = 2048;
}  // namespace

IcmpNoise::IcmpNoise(quint32 victim, int staleMs, QObject* parent)
    : QObject(parent), m_victim(victim), m_staleMs(staleMs) {
  m_rateWindow.start();
}

IcmpNoise::~IcmpNoise() {
  if (m_receive >= 0) ::close(m_receive);
  if (m_send >= 0) ::close(m_send);
}

bool IcmpNoise::start(QString* why) {
  // Raw sockets reach every card of the namespace, so the lab's own check comes first,
  // whatever the caller decided.
  if (const auto refusal = LabRefusal(ReadNamespaceFacts())) {
    *why = QStringLiteral("no raw sockets outside a lab namespace: %1").arg(*refusal);
    return false;
  }
  m_receive = ::socket(AF_INET, SOCK_RAW | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_ICMP);
  m_send = ::socket(AF_INET, SOCK_RAW | SOCK_CLOEXEC, IPPROTO_RAW);
  if (m_receive < 0 || m_send < 0) {
    *why = QStringLiteral("raw sockets: %1").arg(QString::fromLatin1(strerrordesc_np(errno)));
    return false;
  }
  auto* notifier = new QSocketNotifier(m_receive, QSocketNotifier::Read, this);
  connect(notifier, &QSocketNotifier::activated, this, &IcmpNoise::readRequests);
  return true;
}

void IcmpNoise::readRequests() {
  char buffer[kMaxPacket];
  while (true) {
    const ssize_t got = ::recv(m_receive, buffer, sizeof buffer, 0);
    if (got <= 0) return;
    const auto request = ReadEchoRequest(QByteArrayView(buffer, got));
    if (!request) continue;
    if (m_rateWindow.elapsed() >= 1000) {
      m_rateWindow.restart();
      m_answeredInWindow = 0;
    }
    if (++m_answeredInWindow > kMaxAnsweredPerSecond) continue;
    send(NoisePackets(*request, m_victim));
    const QList<QByteArray> stale = StaleReplies(*request, m_victim);
    QTimer::singleShot(m_staleMs, this, [this, stale] { send(stale); });
  }
}

void IcmpNoise::send(const QList<QByteArray>& packets) {
  for (const QByteArray& packet : packets) {
    sockaddr_in to{};
    to.sin_family = AF_INET;
    std::memcpy(&to.sin_addr.s_addr, packet.constData() + 16, 4);  // already network order
    ::sendto(m_send, packet.constData(), size_t(packet.size()), 0,
             reinterpret_cast<const sockaddr*>(&to), sizeof to);
  }
}

}  // namespace velmaro::lab

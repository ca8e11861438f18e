#include "support/FakeEchoSocket.h"

#include <QTimer>
#include <algorithm>

#include "support/FakeClock.h"

namespace velmaro::test {

FakeEchoNetwork::~FakeEchoNetwork() = default;

void FakeEchoNetwork::answer(quint32 host, int delayMs) {
  m_hosts.insert(host, {Behaviour::Answer, delayMs});
}

void FakeEchoNetwork::silence(quint32 host) { m_hosts.remove(host); }

void FakeEchoNetwork::refuseSend(quint32 host) { m_hosts.insert(host, {Behaviour::Refuse, 0}); }

platform::EchoOpenResult FakeEchoNetwork::open() {
  platform::EchoOpenResult result;
  if (m_deny) {
    result.permissionDenied = true;
    result.error = QStringLiteral("Operation not permitted");
    return result;
  }
  auto socket = std::make_unique<FakeEchoSocket>(*this);
  m_sockets.emplace_back(socket.get());
  ++opened;
  result.socket = std::move(socket);
  return result;
}

int FakeEchoNetwork::openNow() const {
  return static_cast<int>(std::count_if(m_sockets.begin(), m_sockets.end(),
                                        [](const auto& s) { return !s.isNull(); }));
}

void FakeEchoNetwork::injectStray(quint32 source, quint16 sequence, QByteArray data,
                                  int delayMs) {
  const platform::EchoReply reply{source, sequence, std::move(data)};
  const qint64 arrival = m_clock ? m_clock->monotonicMs() + delayMs : 0;
  for (const auto& socket : m_sockets) {
    if (socket.isNull()) continue;
    FakeEchoSocket* target = socket.data();
    // The timer belongs to the socket, so a socket destroyed first never gets it.
    QTimer::singleShot(delayMs, target,
                       [this, target, reply, arrival] { deliver(target, reply, arrival); });
  }
}

platform::SendResult FakeEchoNetwork::onSend(FakeEchoSocket& socket, quint32 destination,
                                             quint16 sequence, const QByteArray& data) {
  if (auto busy = m_busy.find(destination); busy != m_busy.end() && *busy > 0) {
    --*busy;
    ++refusedForNow;
    return platform::SendResult::TryAgain;
  }
  sent.push_back(destination);
  requests.push_back({destination, sequence, data});
  const Behaviour behaviour = m_hosts.value(destination);
  if (behaviour.kind == Behaviour::Refuse) return platform::SendResult::Refused;
  if (m_clock && m_sendCostMs > 0) m_clock->advance(m_sendCostMs);
  if (behaviour.kind == Behaviour::Answer) {
    const platform::EchoReply reply{destination, sequence, data};
    if (behaviour.delayMs == 0 && m_sendCostMs > 0) {
      // Waiting in the socket at once, but told through the event loop, as a real
      // socket's notifier does: never from inside send().
      socket.m_queue.push_back(reply);
      ++delivered;
      FakeEchoSocket* target = &socket;
      QTimer::singleShot(0, target, [target] { emit target->readyRead(); });
      return platform::SendResult::Sent;
    }
    const qint64 arrival = m_clock ? m_clock->monotonicMs() + behaviour.delayMs : 0;
    FakeEchoSocket* target = &socket;
    QTimer::singleShot(behaviour.delayMs, target,
                       [this, target, reply, arrival] { deliver(target, reply, arrival); });
  }
  return platform::SendResult::Sent;
}

void FakeEchoNetwork::deliver(FakeEchoSocket* socket, const platform::EchoReply& reply,
                              qint64 arrivalMs) {
  if (m_clock && arrivalMs > m_clock->monotonicMs())
    m_clock->advance(arrivalMs - m_clock->monotonicMs());
  socket->m_queue.push_back(reply);
  ++delivered;
  emit socket->readyRead();
}

platform::SendResult FakeEchoSocket::send(quint32 destination, quint16 sequence,
                                          const QByteArray& data) {
  return m_network.onSend(*this, destination, sequence, data);
}

void FakeEchoSocket::watchWritable(bool on) {
  if (on && !m_watching) {
    ++writableWatches;
    // The queue drains a moment later, as a real device's does.
    QTimer::singleShot(1, this, [this] {
      if (m_watching) emit writable();
    });
  }
  m_watching = on;
}

std::optional<platform::EchoReply> FakeEchoSocket::receive() {
  if (m_queue.empty()) return std::nullopt;
  platform::EchoReply next = std::move(m_queue.front());
  m_queue.erase(m_queue.begin());
  return next;
}

}  // namespace velmaro::test

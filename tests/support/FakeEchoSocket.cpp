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
  return static_cast<int>(
      std::count_if(m_sockets.begin(), m_sockets.end(), [](const auto& s) { return !s.isNull(); }));
}

void FakeEchoNetwork::injectStray(quint32 source, quint16 sequence, QByteArray data, int delayMs) {
  const platform::EchoReply reply{source, sequence, std::move(data)};
  for (const auto& socket : m_sockets) {
    if (socket.isNull()) continue;
    later(socket.data(), delayMs, [this, target = socket, reply] {
      if (target) deliver(target.data(), reply);
    });
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
    later(&socket, behaviour.delayMs, [this, target = QPointer<FakeEchoSocket>(&socket), reply] {
      if (target) deliver(target.data(), reply);
    });
  }
  return platform::SendResult::Sent;
}

// On the test's clock when there is one, so replies and deadlines come in the order
// their times give; on a real timer of the socket otherwise.
void FakeEchoNetwork::later(FakeEchoSocket* socket, int delayMs, std::function<void()> action) {
  if (m_clock) {
    m_clock->after(delayMs, std::move(action));
  } else {
    QTimer::singleShot(delayMs, socket, std::move(action));
  }
}

void FakeEchoNetwork::deliver(FakeEchoSocket* socket, const platform::EchoReply& reply) {
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
    m_network.later(this, 1, [socket = QPointer<FakeEchoSocket>(this)] {
      if (socket && socket->m_watching) emit socket->writable();
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

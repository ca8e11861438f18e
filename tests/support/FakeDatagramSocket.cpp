#include "support/FakeDatagramSocket.h"

namespace velmaro::test {

void FakeDatagramSocket::close() {
  ++closeCount;
  boundPort.reset();
  pending.clear();  // what the old socket had waiting is gone with it
}

std::optional<platform::SocketFailure> FakeDatagramSocket::bind(quint16 port) {
  bindAttempts.push_back(port);
  if (bindFailure) return bindFailure;
  boundPort = port;
  return std::nullopt;
}

std::optional<platform::SocketFailure> FakeDatagramSocket::sendTo(const QByteArray& data,
                                                                  quint32 address, quint16 port) {
  if (sendFailure) return sendFailure;
  sent.push_back({data, address, port, boundPort.has_value()});
  return std::nullopt;
}

std::optional<platform::Datagram> FakeDatagramSocket::receive() {
  if (pending.empty()) return std::nullopt;
  platform::Datagram next = std::move(pending.front());
  pending.pop_front();
  return next;
}

void FakeDatagramSocket::deliver(const QByteArray& data, quint32 source, quint16 sourcePort) {
  queueSilently(data, source, sourcePort);
  emit readyRead();
}

void FakeDatagramSocket::queueSilently(const QByteArray& data, quint32 source, quint16 sourcePort) {
  pending.push_back({data, source, sourcePort, arrivalInterface});
}

}  // namespace velmaro::test

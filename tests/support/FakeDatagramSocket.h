// A scripted datagram socket: records closes, binds and sends, fails them on request, and
// lets the test deliver datagrams as if they had arrived.
#pragma once

#include <QByteArray>
#include <deque>
#include <optional>
#include <vector>

#include "platform/DatagramSocket.h"

namespace velmaro::test {

class FakeDatagramSocket final : public platform::DatagramSocket {
 public:
  struct Sent {
    QByteArray data;
    quint32 address = 0;
    quint16 port = 0;
    bool whileBound = false;  // the socket was bound when it was sent
  };

  void close() override;
  std::optional<platform::SocketFailure> bind(quint16 port) override;
  std::optional<platform::SocketFailure> sendTo(const QByteArray& data, quint32 address,
                                                quint16 port) override;
  std::optional<platform::Datagram> receive() override;

  // A datagram arrives: queued, then readyRead once, as the real socket does.
  void deliver(const QByteArray& data, quint32 source, quint16 sourcePort = 69);
  // A datagram waits without a signal yet (several arriving before the window looks).
  void queueSilently(const QByteArray& data, quint32 source, quint16 sourcePort = 69);

  std::optional<platform::SocketFailure> bindFailure;  // the next binds fail with this
  std::optional<platform::SocketFailure> sendFailure;  // the next sends fail with this

  QString arrivalInterface;  // what every delivered datagram reports as its card

  int closeCount = 0;
  std::vector<quint16> bindAttempts;
  std::optional<quint16> boundPort;
  std::vector<Sent> sent;
  std::deque<platform::Datagram> pending;
};

}  // namespace velmaro::test

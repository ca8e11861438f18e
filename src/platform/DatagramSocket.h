// A UDP socket for the broadcast query and its replies.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>

namespace velmaro::platform {

struct Datagram {
  QByteArray data;     // the whole datagram
  quint32 source = 0;  // IPv4 address, host byte order
  quint16 sourcePort = 0;
  QString arrivalInterface;  // the card it came in on; empty where the socket cannot tell
};

struct SocketFailure {
  int number = 0;  // the well-known socket error number (10048 address in use...)
  QString description;
};

class DatagramSocket : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;
  // Closes the socket whatever its state.
  virtual void close() = 0;
  // Binds the local port on every local address, with broadcast sending allowed.
  virtual std::optional<SocketFailure> bind(quint16 port) = 0;
  // Sends one datagram; the socket need not be bound.
  virtual std::optional<SocketFailure> sendTo(const QByteArray& data, quint32 address,
                                              quint16 port) = 0;
  // The next whole pending datagram, or nothing.
  virtual std::optional<Datagram> receive() = 0;

 signals:
  void readyRead();  // raised once for each datagram that arrives
};

}  // namespace velmaro::platform

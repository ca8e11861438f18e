// One ICMP echo socket: sends echo requests and hands back the echo replies meant for it.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

namespace velmaro::platform {

struct EchoReply {
  quint32 source = 0;      // IPv4 address, host byte order
  quint16 sequence = 0;
  QByteArray data;         // the echoed payload
};

class EchoSocket : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;
  // Sends one echo request; false when the system refused it at once.
  virtual bool send(quint32 destination, quint16 sequence, const QByteArray& data) = 0;
  // The next pending echo reply addressed to this socket, or nothing when none is pending.
  // Packets that are not echo replies of this socket are consumed and skipped.
  virtual std::optional<EchoReply> receive() = 0;

 signals:
  void readyRead();  // one or more packets may be pending
};

struct EchoOpenResult {
  std::unique_ptr<EchoSocket> socket;  // null when no socket could be opened
  bool permissionDenied = false;       // neither an unprivileged nor a raw socket was allowed
  QString error;                       // the system's reason, for the report
};

}  // namespace velmaro::platform

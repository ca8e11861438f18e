// One ICMP echo socket: sends echo requests and hands back the echo replies meant for it.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <memory>
#include <optional>

namespace velmaro::platform {

struct EchoReply {
  quint32 source = 0;  // IPv4 address, host byte order
  quint16 sequence = 0;
  QByteArray data;  // the echoed payload
};

// What became of one echo request handed to the system.
enum class SendResult : quint8 {
  Sent,
  Refused,   // the system will not send it (no route, a bad address...)
  TryAgain,  // the system cannot take it right now (a full queue): send it again later
};

class EchoSocket : public QObject {
  Q_OBJECT

 public:
  using QObject::QObject;
  // Sends one echo request.
  virtual SendResult send(quint32 destination, quint16 sequence, const QByteArray& data) = 0;
  // While on, writable() is raised whenever the socket can take a request again.
  virtual void watchWritable(bool on) = 0;
  // The next pending echo reply addressed to this socket, or nothing when none is pending.
  // Packets that are not echo replies of this socket are consumed and skipped.
  virtual std::optional<EchoReply> receive() = 0;

 signals:
  void readyRead();  // one or more packets may be pending
  void writable();   // a request refused for now may be sent again
};

struct EchoOpenResult {
  std::unique_ptr<EchoSocket> socket;  // null when no socket could be opened
  bool permissionDenied = false;       // neither an unprivileged nor a raw socket was allowed
  QString error;                       // the system's reason, for the report
};

}  // namespace velmaro::platform

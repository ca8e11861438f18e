// The running unit: answers the discovery query on UDP and serves its pages over TCP.
#pragma once

#include "UnitOptions.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>

class QTcpServer;
class QTcpSocket;
class QUdpSocket;

namespace velmaro::lab {

class UnitServer : public QObject {
  Q_OBJECT
 public:
  explicit UnitServer(UnitOptions options, QObject* parent = nullptr);

  // Opens the sockets the options ask for; false with a reason when one cannot be opened.
  bool start(QString* why);

  // The page names asked for so far, in order (tests read them when the unit runs in theirs).
  const QStringList& requestedPages() const { return m_requested; }

 private:
  void answerQueries();
  void acceptConnection();
  void serve(QTcpSocket* socket);
  void sendEndlessly(QTcpSocket* socket);
  bool replyAllowed();

  UnitOptions m_options;
  QUdpSocket* m_udp = nullptr;
  QTcpServer* m_http = nullptr;
  QElapsedTimer m_rateWindow;
  int m_repliesInWindow = 0;
  int m_openConnections = 0;
  QStringList m_requested;
};

}  // namespace velmaro::lab

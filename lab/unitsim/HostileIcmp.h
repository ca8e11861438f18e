// The noise unit's program part: raw sockets, which only Linux's lab gives it.
#pragma once

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>

namespace velmaro::lab {

// Answers every echo request to this host with the noise below, and the stale replies
// `staleMs` later. Raw sockets: root in a lab namespace only.
class IcmpNoise : public QObject {
  Q_OBJECT
 public:
  IcmpNoise(quint32 victim, int staleMs, QObject* parent = nullptr);
  ~IcmpNoise() override;
  bool start(QString* why);

 private:
  void readRequests();
  void send(const QList<QByteArray>& packets);

  quint32 m_victim;
  int m_staleMs;
  int m_receive = -1;
  int m_send = -1;
  QElapsedTimer m_rateWindow;
  int m_answeredInWindow = 0;
};

}  // namespace velmaro::lab

// The echo engine: pings a list of IPv4 addresses, many in flight at once, and reports
// each address exactly once, synchronously on the caller's thread, as answered or missed.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "support/Clock.h"

namespace velmaro {

namespace platform {
class Platform;
}

class ClassPingBase : public QObject {
  Q_OBJECT

 public:
  explicit ClassPingBase(platform::Platform& platform, const Clock& clock = Clock::system(),
                         QObject* parent = nullptr);
  ~ClassPingBase() override;

  // Size of one block of requests put in flight together; 500 for a new engine.
  qint32 NumParalellActions() const { return m_lNumParalellActions; }
  // Stored as given; a value below 1 acts as 1 when a list is pinged.
  void setNumParalellActions(qint32 NewData) { m_lNumParalellActions = NewData; }

  // True while PingHostList runs on this engine.
  bool ListPingRunning() const { return m_bListPingRunning; }

  // Pings every entry and returns when each one has been reported by PingSuccess or
  // PingFail. Window events keep flowing while it waits; a call made while a list is
  // already running returns at once and raises nothing. A failure thrown by an event
  // handler ends the call early: every entry not yet reported is still reported (in index
  // order), everything is released, and then the failure passes on to the caller.
  void PingHostList(const QStringList& saIpAdresses, qint32 TimeOutHost, qint32 TimeOutAll);

  // One ping of "TESTMESSAGE" with a 1000 ms limit (TimeOut is accepted and not used):
  // the round-trip time in ms, -1 without a successful reply, -2 when no request could be
  // waited on (no echo socket).
  qint32 PingHostSingle(const QString& sHostIP, qint32 TimeOut);

 signals:
  // Raised synchronously, on this thread, from inside PingHostList.
  void PingSuccess(const QString& sIPAdress, qint32 lNewStatus, qint32 ArrayIndex);
  void PingFail(const QString& sIPAdress, qint32 lNewStatus, qint32 ArrayIndex);
  // Once per PingHostList call when no echo socket could be opened, before the PingFail
  // events of that call. permissionDenied: the system allows neither an unprivileged nor
  // a raw ICMP socket to this user.
  void EchoUnavailable(const QString& reason, bool permissionDenied);

 private:
  platform::Platform& m_platform;
  const Clock& m_clock;
  qint32 m_lNumParalellActions;
  bool m_bListPingRunning = false;
};

}  // namespace velmaro

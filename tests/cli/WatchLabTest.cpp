// velmaro-cli watch in the lab's client while a technician works the LAN: a unit plugged
// in, re-addressed, given the address of another unit, moved back, unplugged and plugged
// back, each change told once as a JSON line; then Ctrl-C ends the run with a summary.
#include <gtest/gtest.h>
#include <signal.h>

#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "support/LabGuard.h"
#include "support/LabLayout.h"

namespace velmaro::cli {
namespace {

using namespace Qt::StringLiterals;

QString Q(std::string_view text) {
  return QString::fromLatin1(text.data(), qsizetype(text.size()));
}

// The watch as a separate program, its events read as they come.
class WatchRun {
 public:
  WatchRun() {
    m_process.start(QStringLiteral(VELMARO_CLI_PATH),
                    {u"watch"_s, u"--interval"_s, u"1"_s, u"--format"_s, u"jsonl"_s});
  }
  ~WatchRun() {
    if (m_process.state() != QProcess::NotRunning) {
      m_process.kill();
      m_process.waitForFinished(5000);
    }
  }

  // The first event of `kind` about `mac` within `limitMs`; an empty object when none came.
  QJsonObject await(const QString& kind, std::string_view mac, int limitMs = 10000) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < limitMs) {
      while (m_process.canReadLine()) {
        const QJsonObject event = QJsonDocument::fromJson(m_process.readLine()).object();
        EXPECT_FALSE(event.isEmpty()) << "a line that is not one JSON object";
        // The neighbour table's stand-in for the broadcast route is no host.
        EXPECT_NE(event[u"ip"_s].toString(), u"255.255.255.255");
        if (event[u"event"_s].toString() == kind && event[u"mac"_s].toString() == Q(mac))
          return event;
      }
      m_process.waitForReadyRead(100);
    }
    return {};
  }

  // Ctrl-C: the exit status and the last line on standard error, within `limitMs`.
  std::pair<int, QString> interrupt(int limitMs) {
    ::kill(pid_t(m_process.processId()), SIGINT);
    const bool ended = m_process.waitForFinished(limitMs);
    EXPECT_TRUE(ended) << "still running " << limitMs << " ms after Ctrl-C";
    return {ended && m_process.exitStatus() == QProcess::NormalExit ? m_process.exitCode() : -1,
            QString::fromUtf8(m_process.readAllStandardError()).trimmed()};
  }

 private:
  QProcess m_process;
};

TEST(WatchLab, FollowsAUnitThroughPlugMoveConflictUnplugAndBack) {
  ASSERT_NO_FATAL_FAILURE(lab::RequireLab());
  const lab::LabUnit& unit = lab::kU5;
  const lab::LabUnit& other = lab::kU1;
  lab::UnpluggedHost pulled(unit.key);
  ASSERT_TRUE(pulled.ok()) << pulled.error().toStdString();

  WatchRun watch;
  ASSERT_FALSE(watch.await(u"new"_s, other.mac).isEmpty()) << "the units already there";

  ASSERT_TRUE(lab::SetHostPlugged(unit.key, true));
  const QJsonObject seen = watch.await(u"new"_s, unit.mac);
  EXPECT_EQ(seen[u"ip"_s].toString(), Q(unit.ip));
  EXPECT_EQ(seen[u"mfg"_s].toString(), Q(unit.manufacturer));
  EXPECT_EQ(seen[u"name"_s].toString(), Q(unit.name) + u' ' + Q(unit.freeText));
  EXPECT_TRUE(seen[u"time"_s].toString().endsWith(u'Z'));
  {
    const lab::ReaddressedHost moved(unit.key, Q(unit.ip) + u"/24"_s, u"198.18.7.29/24"_s);
    ASSERT_TRUE(moved.ok()) << moved.error().toStdString();
    const QJsonObject event = watch.await(u"moved"_s, unit.mac);
    EXPECT_EQ(event[u"ip"_s].toString(), u"198.18.7.29");
    EXPECT_EQ(event[u"previous_ip"_s].toString(), Q(unit.ip));
  }
  {
    const lab::ReaddressedHost clash(unit.key, Q(unit.ip) + u"/24"_s, Q(other.ip) + u"/24"_s);
    ASSERT_TRUE(clash.ok()) << clash.error().toStdString();
    const QJsonObject conflict = watch.await(u"conflict"_s, unit.mac);
    EXPECT_EQ(conflict[u"ip"_s].toString(), Q(other.ip));
    EXPECT_EQ(conflict[u"macs"_s].toVariant().toStringList(),
              (QStringList{Q(unit.mac), Q(other.mac)}));
  }
  EXPECT_EQ(watch.await(u"moved"_s, unit.mac)[u"ip"_s].toString(), Q(unit.ip));

  ASSERT_TRUE(lab::SetHostPlugged(unit.key, false));
  EXPECT_EQ(watch.await(u"gone"_s, unit.mac)[u"ip"_s].toString(), Q(unit.ip));
  ASSERT_TRUE(lab::SetHostPlugged(unit.key, true));
  EXPECT_EQ(watch.await(u"back"_s, unit.mac)[u"ip"_s].toString(), Q(unit.ip));

  const auto [status, summary] = watch.interrupt(2000);
  EXPECT_EQ(status, 0);
  EXPECT_TRUE(summary.contains(u"1 conflict"_s)) << summary.toStdString();
  EXPECT_EQ(summary.count(u'\n'), 0) << summary.toStdString();
}

}  // namespace
}  // namespace velmaro::cli

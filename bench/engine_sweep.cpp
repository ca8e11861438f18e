// The echo engine sweeping the lab's whole /24 at the window's default settings, against
// fping over the same range in the same namespace. Refuses to run outside the lab.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSet>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>

#include "platform/Platform.h"
#include "scan/ClassPingBase.h"
#include "support/LabGuard.h"
#include "support/LabLayout.h"

using namespace Qt::StringLiterals;

namespace {

constexpr int kRuns = 5;
constexpr qint32 kTimeOutHost = 1000;   // 2 x T at the default T = 500
constexpr qint32 kTimeOutAll = 63500;   // 254 x T / 2
constexpr int kFpingLimitMs = 20000;    // fping ends by itself well before this

double cpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
         (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

QSet<QString> expectedLive() {
  QSet<QString> live{QString::fromLatin1(velmaro::lab::kClientIp)};  // the client answers too
  for (auto ip : velmaro::lab::kLiveIps) live.insert(QString::fromLatin1(ip.data(), ip.size()));
  return live;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  QString why;
  if (!velmaro::lab::InLabNamespace(&why)) {
    std::fprintf(stderr, "engine_sweep: refusing to send: not inside a lab namespace (%s)\n"
                         "run it as: sudo lab/velmaro-lab exec build/bin/engine_sweep\n",
                 qPrintable(why));
    return 2;
  }
  const QString prefix = QString::fromLatin1(velmaro::lab::kSubnetPrefix);
  QStringList list;
  for (int octet = 1; octet <= 254; ++octet) list << QStringLiteral("%1.%2").arg(prefix).arg(octet);
  const QSet<QString> live = expectedLive();

  auto system = velmaro::platform::createSystemPlatform();
  double worstWall = 0;
  double worstCpu = 0;
  double sumWall = 0;
  bool allFound = true;
  for (int run = 1; run <= kRuns; ++run) {
    velmaro::ClassPingBase engine(*system);
    engine.setNumParalellActions(1000);
    QSet<QString> found;
    int reports = 0;
    QObject::connect(&engine, &velmaro::ClassPingBase::PingSuccess, &engine,
                     [&](const QString& ip) {
                       found.insert(ip);
                       ++reports;
                     });
    QObject::connect(&engine, &velmaro::ClassPingBase::PingFail, &engine, [&] { ++reports; });
    QObject::connect(&engine, &velmaro::ClassPingBase::EchoUnavailable, &engine,
                     [](const QString& reason) {
                       std::fprintf(stderr, "no echo socket: %s\n", qPrintable(reason));
                     });
    const double cpuBefore = cpuMs();
    QElapsedTimer wall;
    wall.start();
    engine.PingHostList(list, kTimeOutHost, kTimeOutAll);
    const double wallMs = wall.nsecsElapsed() / 1e6;
    const double cpu = cpuMs() - cpuBefore;
    const bool complete = found == live && reports == list.size();
    allFound = allFound && complete;
    worstWall = std::max(worstWall, wallMs);
    worstCpu = std::max(worstCpu, cpu);
    sumWall += wallMs;
    std::printf("engine run %d: ping phase %.1f ms wall, %.2f ms CPU, %lld live of %lld expected%s\n",
                run, wallMs, cpu, static_cast<long long>(found.size()),
                static_cast<long long>(live.size()), complete ? "" : "  <-- MISMATCH");
  }
  const double meanWall = sumWall / kRuns;

  // fping over the same range: one try, 1000 ms per host, no pause between requests.
  QProcess fping;
  QElapsedTimer fpingWall;
  fpingWall.start();
  fping.start(QStringLiteral("fping"),
              {u"-q"_s, u"-a"_s, u"-r"_s, u"0"_s, u"-t"_s, u"1000"_s, u"-i"_s, u"0"_s, u"-g"_s,
               prefix + u".1"_s, prefix + u".254"_s});
  const bool started = fping.waitForStarted(5000);
  if (started && !fping.waitForFinished(kFpingLimitMs)) {
    fping.kill();
    fping.waitForFinished(1000);
  }
  const double fpingMs = fpingWall.nsecsElapsed() / 1e6;
  const QStringList fpingAlive =
      QString::fromLatin1(fping.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);

  std::printf("\nengine: mean %.1f ms, worst %.1f ms wall (target <= %.0f ms), worst %.2f ms CPU "
              "(target < 50 ms), every live host found in every run: %s\n",
              meanWall, worstWall, 1.05 * kTimeOutHost, worstCpu, allFound ? "yes" : "NO");
  if (started)
    std::printf("fping:  %.1f ms wall, %lld alive\nratio engine/fping: %.3f\n", fpingMs,
                static_cast<long long>(fpingAlive.size()), meanWall / fpingMs);
  else
    std::printf("fping: could not be started (%s)\n", qPrintable(fping.errorString()));
  return allFound ? 0 : 1;
}

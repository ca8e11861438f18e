// One run of the echo engine over a list of addresses, by default the lab's /24 at the
// window's default settings (T = 500: 1000 ms per request, 254 x 250 ms overall, one block of
// 1000). Prints what the run cost and which addresses answered; ping_compare runs it side
// by side with the other tools. Refuses to run outside a lab namespace.
//
//   engine_sweep [--list FILE] [--host-timeout MS] [--all-timeout MS] [--block N]
//
// Output: "ENGINE entries=N answered=K reported=R wall_ms=W cpu_ms=C", then one
// "UP address" line per answer.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <cstdio>

#include "BenchSupport.h"
#include "platform/Platform.h"
#include "scan/ClassPingBase.h"
#include "support/LabLayout.h"

using namespace Qt::StringLiterals;

namespace {

struct Options {
  QString listFile;
  qint32 hostTimeout = 1000;  // 2 x T at the default T = 500
  qint32 allTimeout = -1;     // N x T / 2 unless given
  qint32 block = 1000;        // the sweep's block size
};

Options parse(const QStringList& args) {
  Options o;
  for (qsizetype i = 1; i + 1 < args.size(); i += 2) {
    const QString& name = args[i];
    const QString& value = args[i + 1];
    if (name == u"--list")
      o.listFile = value;
    else if (name == u"--host-timeout")
      o.hostTimeout = value.toInt();
    else if (name == u"--all-timeout")
      o.allTimeout = value.toInt();
    else if (name == u"--block")
      o.block = value.toInt();
  }
  return o;
}

QStringList addresses(const Options& o) {
  QStringList list;
  if (o.listFile.isEmpty()) {
    const QString prefix = QString::fromLatin1(velmaro::lab::kSubnetPrefix);
    for (int octet = 1; octet <= 254; ++octet)
      list << QStringLiteral("%1.%2").arg(prefix).arg(octet);
    return list;
  }
  QFile file(o.listFile);
  if (!file.open(QIODevice::ReadOnly)) return list;
  for (const QByteArray& line : file.readAll().split('\n')) {
    if (!line.trimmed().isEmpty()) list << QString::fromLatin1(line.trimmed());
  }
  return list;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  velmaro::bench::RequireLabOrExit("engine_sweep");
  const Options o = parse(QCoreApplication::arguments());
  const QStringList list = addresses(o);
  if (list.isEmpty()) {
    std::fprintf(stderr, "engine_sweep: no addresses to ping\n");
    return 2;
  }
  const qint32 allTimeout = o.allTimeout > 0 ? o.allTimeout : qint32(list.size()) * 250;

  auto system = velmaro::platform::createSystemPlatform();
  velmaro::ClassPingBase engine(*system);
  engine.setNumParalellActions(o.block);
  QStringList answered;
  qsizetype reports = 0;
  QObject::connect(&engine, &velmaro::ClassPingBase::PingSuccess, &engine, [&](const QString& ip) {
    answered << ip;
    ++reports;
  });
  QObject::connect(&engine, &velmaro::ClassPingBase::PingFail, &engine, [&] { ++reports; });
  QObject::connect(&engine, &velmaro::ClassPingBase::EchoUnavailable, &engine,
                   [](const QString& reason) {
                     std::fprintf(stderr, "engine_sweep: no echo socket: %s\n", qPrintable(reason));
                   });
  const double cpuBefore = velmaro::bench::CpuMs();
  QElapsedTimer wall;
  wall.start();
  engine.PingHostList(list, o.hostTimeout, allTimeout);
  const double wallMs = double(wall.nsecsElapsed()) / 1e6;
  const double cpuMs = velmaro::bench::CpuMs() - cpuBefore;
  std::printf("ENGINE entries=%lld answered=%lld reported=%lld wall_ms=%.3f cpu_ms=%.3f\n",
              static_cast<long long>(list.size()), static_cast<long long>(answered.size()),
              static_cast<long long>(reports), wallMs, cpuMs);
  for (const QString& ip : answered) std::printf("UP %s\n", qPrintable(ip));
  return reports == list.size() ? 0 : 1;
}

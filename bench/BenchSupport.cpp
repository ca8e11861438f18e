#include "BenchSupport.h"

#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QFile>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

#include "LabNamespaceCheck.h"

namespace velmaro::bench {
namespace {

constexpr int kWatchPeriodMs = 2;  // fine enough to see a 50 ms stall as one

long statusKb(const char* field) {
  QFile status(QStringLiteral("/proc/self/status"));
  if (!status.open(QIODevice::ReadOnly)) return -1;
  const QByteArray prefix = QByteArray(field) + ':';
  // The file claims a size of 0: read it whole rather than up to its "end".
  for (const QByteArray& line : status.readAll().split('\n')) {
    if (line.startsWith(prefix))
      return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
  }
  return -1;
}

QString clean(QString text) { return text.replace(u'\t', u' ').replace(u'\n', u' '); }

}  // namespace

void RequireLabOrExit(const char* program) {
  if (const auto refusal = lab::LabRefusal(lab::ReadNamespaceFacts())) {
    std::fprintf(stderr,
                 "%s: refusing to run: not inside a lab namespace (%s)\n"
                 "run it through bench/run, or as: sudo lab/velmaro-lab exec %s\n",
                 program, qPrintable(*refusal), program);
    std::exit(2);
  }
}

qint64 MonotonicNs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

double CpuMs() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
}

long RssKb() { return statusKb("VmRSS"); }

StallWatch::StallWatch(QObject* parent) : QObject(parent) {
  m_timer.setTimerType(Qt::PreciseTimer);
  m_timer.setInterval(kWatchPeriodMs);
  connect(&m_timer, &QTimer::timeout, this, &StallWatch::tick);
}

void StallWatch::start() {
  m_clock.start();
  m_lastNs = 0;
  m_longestNs = 0;
  m_timer.start();
}

void StallWatch::stop() {
  tick();
  m_timer.stop();
}

void StallWatch::tick() {
  const qint64 now = m_clock.nsecsElapsed();
  const qint64 stall = now - m_lastNs - qint64(kWatchPeriodMs) * 1000000;
  if (stall > m_longestNs) {
    m_longestNs = stall;
    m_longestEndNs = MonotonicNs();
  }
  m_lastNs = now;
}

double StallWatch::longestMs() const { return double(std::max<qint64>(m_longestNs, 0)) / 1e6; }

void Print(const Figure& f) {
  std::printf("RESULT\t%s\t%s\t%.6g\t%s\t%s\t%.6g\t%s\t%s\n", qPrintable(clean(f.key)),
              qPrintable(clean(f.figure)), f.value, qPrintable(clean(f.unit)),
              qPrintable(clean(f.reference)), f.referenceValue, qPrintable(clean(f.target)),
              qPrintable(clean(f.note)));
  std::fflush(stdout);
}

ChildRun RunChild(const QStringList& argv, int limitMs) {
  ChildRun run;
  if (argv.isEmpty()) return run;
  std::vector<QByteArray> args;
  for (const QString& a : argv) args.push_back(a.toLocal8Bit());
  std::vector<char*> raw;
  for (QByteArray& a : args) raw.push_back(a.data());
  raw.push_back(nullptr);
  int out[2];
  if (pipe(out) != 0) return run;
  const qint64 begin = MonotonicNs();
  const pid_t pid = fork();
  if (pid < 0) {
    close(out[0]);
    close(out[1]);
    return run;
  }
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    close(out[0]);
    close(out[1]);
    execvp(raw[0], raw.data());
    _exit(127);
  }
  close(out[1]);
  run.started = true;
  const qint64 deadline = begin + qint64(limitMs) * 1000000;
  char buffer[65536];
  for (;;) {
    const qint64 left = (deadline - MonotonicNs()) / 1000000;
    if (left <= 0) {
      run.timedOut = true;
      kill(pid, SIGKILL);
      break;
    }
    pollfd fd{out[0], POLLIN, 0};
    if (poll(&fd, 1, int(std::min<qint64>(left, 1000))) <= 0) continue;
    const ssize_t got = read(out[0], buffer, sizeof buffer);
    if (got <= 0) break;
    run.output.append(buffer, qsizetype(got));
  }
  close(out[0]);
  int status = 0;
  rusage usage{};
  wait4(pid, &status, 0, &usage);
  run.wallMs = double(MonotonicNs() - begin) / 1e6;
  run.cpuMs = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
              double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
  run.peakRssKb = usage.ru_maxrss;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  if (run.exitCode == 127 && run.output.isEmpty()) run.started = false;
  return run;
}

Spread SpreadOf(QList<double> samples) {
  if (samples.isEmpty()) return {};
  std::sort(samples.begin(), samples.end());
  const qsizetype n = samples.size();
  const double median = n % 2 ? samples[n / 2] : (samples[n / 2 - 1] + samples[n / 2]) / 2;
  return {median, samples.last()};
}

}  // namespace velmaro::bench

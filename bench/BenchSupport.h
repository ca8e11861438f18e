// What every benchmark shares: the lab check before anything is sent, clocks and memory
// figures of this process, a watch on the event loop's longest stall, and the one line
// format bench/run collects into its table.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

namespace velmaro::bench {

// Ends the program (exit code 2) with the reason unless it runs in a lab namespace.
void RequireLabOrExit(const char* program);

qint64 MonotonicNs();  // the system-wide monotonic clock: comparable between processes
double CpuMs();        // user + system time of this process so far
long RssKb();          // resident memory now

// The longest time the event loop went without turning, beyond the watch's own period:
// what a user's click would have waited for at worst. Runs wherever events are processed,
// nested loops included.
class StallWatch final : public QObject {
 public:
  explicit StallWatch(QObject* parent = nullptr);
  void start();
  void stop();
  double longestMs() const;                               // since start()
  qint64 longestEndNs() const { return m_longestEndNs; }  // MonotonicNs() when it ended

 private:
  void tick();
  QTimer m_timer;
  QElapsedTimer m_clock;
  qint64 m_lastNs = 0;
  qint64 m_longestNs = 0;
  qint64 m_longestEndNs = 0;
};

// One figure for bench/run's table, written to standard output as one tab-separated line:
// RESULT, key, figure, value, unit, reference name, reference value, target, note.
// A reference value below 0 means none was measured; an empty target means none is set.
struct Figure {
  QString key;
  QString figure;
  double value = 0;
  QString unit;
  QString reference;
  double referenceValue = -1;
  QString target;
  QString note;
};
void Print(const Figure& figure);

// One run of another program, waited for with its own resource use.
struct ChildRun {
  bool started = false;
  bool timedOut = false;
  int exitCode = -1;
  double wallMs = 0;   // from just before it was started to its end
  double cpuMs = 0;    // its user + system time
  long peakRssKb = 0;  // its largest resident memory
  QByteArray output;   // its standard output
};
// Runs `argv` (searched on PATH), standard error passed through; killed after `limitMs`.
ChildRun RunChild(const QStringList& argv, int limitMs);

// Median and largest of a set of samples.
struct Spread {
  double median = 0;
  double worst = 0;
};
Spread SpreadOf(QList<double> samples);

}  // namespace velmaro::bench

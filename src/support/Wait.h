// Waiting without freezing the window: a timed wait that sleeps in the event loop, and a
// wait for a started program with a time-out. Pending events are handled during both.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

#include "support/Clock.h"
#include "support/CommandLine.h"

namespace velmaro {

// Waits `milliseconds` of `clock` while the window keeps handling its events. All waits of
// the process share one timer: a wait started by an event handled during another re-arms
// it with its own due time, and when it ends the outer wait ends too as soon as control
// returns to it. A duration of 0 or less handles pending events once and returns. Ends at
// once when the window is closing or the application quits.
void TimedWait(double milliseconds, const Clock& clock = Clock::system());

// Starts `command` with its standard output written to `outputFile` (replaced), handles
// events while it runs, and returns true once it has ended or `timeoutSeconds` have
// passed (0 or less: no limit); false when it cannot be started. The start is rounded to
// the nearest whole second of the wall clock, so the wait lasts the time-out give or take
// half a second; the deadline itself runs on the monotonic clock, so setting the clock
// cannot stretch it. A program still running at the deadline is left running. Ends at
// once when the window is closing or the application quits.
bool ShellAndWait(const CommandLine& command, const QString& outputFile, int timeoutSeconds,
                  const Clock& clock = Clock::system());

// Starts `command` and waits for it as ShellAndWait does, reading what it writes on its
// standard output through a pipe: nothing is written to disk, so no file name can be met,
// followed or shared with another run. Returns the first `maxBytes` of that output (the
// part written by the deadline when it is still running then; the rest is read and
// dropped); nothing when the program cannot be started.
std::optional<QByteArray> ShellAndCapture(const CommandLine& command, int timeoutSeconds,
                                          qint64 maxBytes, const Clock& clock = Clock::system());

}  // namespace velmaro

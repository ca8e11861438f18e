// Letting the window handle its pending events from inside a long procedure, the one
// process-wide signal that ends every wait at once when the program is closing, and the
// nested event loop that every wait runs.
#pragma once

#include <QEventLoop>

namespace velmaro {

// Handle every pending event once, then return.
void DoEvents();

// The window is closing: every wait in progress and every wait started afterwards ends
// at once, so the procedures on the stack can run to their end. The application quitting
// (its event loop told to end, by any dispatcher) counts as closing too.
void AbortAllWaits();
bool WaitsAborted();
// For tests that close a window and start another in the same process.
void ResetWaitAbort();

// One wait's nested event loop: handles events, sleeping in between, until end() is
// called, the waits are aborted or the application quits. Once the application quits, a
// nested loop would return at once on every turn; that is taken as the close it is.
class WaitLoop {
 public:
  WaitLoop();
  ~WaitLoop();
  WaitLoop(const WaitLoop&) = delete;
  WaitLoop& operator=(const WaitLoop&) = delete;

  // Returns at once when end() was called before or the waits are aborted.
  void run();
  // Safe from anywhere, also from inside a wait nested in this one: this loop returns as
  // soon as control is back at its level.
  void end();
  bool ended() const { return m_ended; }

 private:
  friend void AbortAllWaits();
  QEventLoop m_loop;
  bool m_ended = false;
  bool m_running = false;
};

}  // namespace velmaro

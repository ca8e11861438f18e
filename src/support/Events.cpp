#include "support/Events.h"

#include <QCoreApplication>
#include <algorithm>
#include <vector>

namespace velmaro {
namespace {
// Shared by every procedure of the process, like the window it belongs to.
bool g_aborted = false;
// The waits in progress, outermost first, so closing can wake every one of them.
std::vector<WaitLoop*>& runningWaits() {
  static std::vector<WaitLoop*> waits;
  return waits;
}
}  // namespace

void DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void AbortAllWaits() {
  g_aborted = true;
  for (WaitLoop* wait : runningWaits()) wait->m_loop.quit();
}
bool WaitsAborted() { return g_aborted; }
void ResetWaitAbort() { g_aborted = false; }

WaitLoop::WaitLoop() = default;

WaitLoop::~WaitLoop() {
  auto& waits = runningWaits();
  waits.erase(std::remove(waits.begin(), waits.end(), this), waits.end());
}

void WaitLoop::run() {
  if (m_ended || m_running || WaitsAborted()) return;
  m_running = true;
  runningWaits().push_back(this);
  m_loop.exec();
  auto& waits = runningWaits();
  waits.erase(std::remove(waits.begin(), waits.end(), this), waits.end());
  m_running = false;
  // Only end() and AbortAllWaits() quit this loop; anything else was the application's
  // own quit, which ends every event loop of the thread.
  if (!m_ended && !WaitsAborted()) AbortAllWaits();
}

void WaitLoop::end() {
  m_ended = true;
  m_loop.quit();
}

}  // namespace velmaro

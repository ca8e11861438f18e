#include "support/Events.h"

#include <QCoreApplication>

namespace velmaro {
namespace {
// Shared by every procedure of the process, like the window it belongs to.
bool g_aborted = false;
}  // namespace

void DoEvents() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void AbortAllWaits() { g_aborted = true; }
bool WaitsAborted() { return g_aborted; }
void ResetWaitAbort() { g_aborted = false; }

}  // namespace velmaro

// Letting the window handle its pending events from inside a long procedure, and the one
// process-wide signal that ends every wait at once when the program is closing.
#pragma once

namespace velmaro {

// Handle every pending event once, then return.
void DoEvents();

// The window is closing: every wait in progress and every wait started afterwards ends
// at once, so the procedures on the stack can run to their end.
void AbortAllWaits();
bool WaitsAborted();
// For tests that close a window and start another in the same process.
void ResetWaitAbort();

}  // namespace velmaro

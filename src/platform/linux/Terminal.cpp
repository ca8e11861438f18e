#include <unistd.h>

#include "platform/Terminal.h"

namespace velmaro::platform {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

// A Linux terminal takes bytes, and speaks UTF-8 under every locale worth supporting.
bool WriteToConsole(int, const QString&) { return false; }

}  // namespace velmaro::platform

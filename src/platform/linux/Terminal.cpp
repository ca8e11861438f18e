#include <unistd.h>

#include "platform/Terminal.h"

namespace velmaro::platform {

bool StandardErrorIsTerminal() { return ::isatty(STDERR_FILENO) == 1; }

}  // namespace velmaro::platform

#include <windows.h>

#include "platform/Terminal.h"

namespace velmaro::platform {

// Only a console answers GetConsoleMode; a file, a pipe, and with it the pipe an MSYS or
// Cygwin terminal hands a native program, do not, and get no progress lines.
bool StandardErrorIsTerminal() {
  const HANDLE error = ::GetStdHandle(STD_ERROR_HANDLE);
  if (error == nullptr || error == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  return ::GetConsoleMode(error, &mode) != 0;
}

}  // namespace velmaro::platform

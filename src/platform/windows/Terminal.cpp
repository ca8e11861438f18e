#include <windows.h>

#include <algorithm>

#include "platform/Terminal.h"

namespace velmaro::platform {

namespace {

// Only a console answers GetConsoleMode; a file, a pipe, and with it the pipe an MSYS or
// Cygwin terminal hands a native program, do not, and get no progress lines.
bool isConsole(HANDLE handle) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
  DWORD mode = 0;
  return ::GetConsoleMode(handle, &mode) != 0;
}

// Small enough for every console host's single write.
constexpr qsizetype kConsoleChunk = 8192;

}  // namespace

bool StandardErrorIsTerminal() { return isConsole(::GetStdHandle(STD_ERROR_HANDLE)); }

// A console given bytes reads them in its code page (437 or 850 on most technicians'
// laptops), which turns UTF-8 names into noise; WriteConsoleW hands it the characters.
bool WriteToConsole(int stream, const QString& text) {
  const HANDLE handle = ::GetStdHandle(stream == 2 ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
  if (!isConsole(handle)) return false;
  const auto* next = reinterpret_cast<const wchar_t*>(text.utf16());
  qsizetype left = text.size();
  while (left > 0) {
    qsizetype chunk = std::min(left, kConsoleChunk);
    // Never split a surrogate pair between two writes.
    if (chunk < left && QChar::isHighSurrogate(char16_t(next[chunk - 1]))) --chunk;
    DWORD written = 0;
    // A console that refuses (closed meanwhile) takes nothing more; bytes would not reach it
    // either.
    if (!::WriteConsoleW(handle, next, DWORD(chunk), &written, nullptr) || written == 0) break;
    next += written;
    left -= qsizetype(written);
  }
  return true;
}

}  // namespace velmaro::platform

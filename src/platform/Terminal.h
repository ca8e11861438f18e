// The command line's streams: whether a person watches them, and how text reaches a console.
#pragma once

#include <QString>

namespace velmaro::platform {

// Whether someone is watching: the program's standard error is a terminal, not a file or a
// pipe. Progress lines are only worth writing then.
bool StandardErrorIsTerminal();

// Writes `text` to standard output (1) or error (2) when that stream is a console that
// takes text rather than bytes, so names outside ASCII show right whatever its code page.
// False when it is a file, a pipe or a byte terminal: the caller writes UTF-8 itself.
bool WriteToConsole(int stream, const QString& text);

}  // namespace velmaro::platform

// Whether someone is watching: the program's standard error is a terminal, not a file or a
// pipe. Progress lines are only worth writing then.
#pragma once

namespace velmaro::platform {

bool StandardErrorIsTerminal();

}  // namespace velmaro::platform

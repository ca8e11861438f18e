#include "platform/Platform.h"

namespace velmaro::platform {

// Windows lends a program no right through its file or its caller's set-ID bits, and echo
// requests need none: a program started elevated was chosen so by its user, who would
// lose what they meant to reach if it gave the elevation up. Nothing to drop.
QString dropPrivileges() { return {}; }

}  // namespace velmaro::platform

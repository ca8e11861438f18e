// The text of a system error number, for reports that support staff read.
#pragma once

#include <QString>

namespace velmaro::platform::linux_backend {

// The classic English description of a system error number, whatever the desktop's language.
QString systemErrorText(int number);

}  // namespace velmaro::platform::linux_backend

#include "platform/linux/SystemError.h"

#include <cstring>

namespace velmaro::platform::linux_backend {

// strerror() speaks the desktop's language, and a report in another script would reach
// the 8-bit log as a row of "?"; the classic English text is what support staff search for.
QString systemErrorText(int number) {
  if (const char* text = strerrordesc_np(number)) return QString::fromLatin1(text);
  return QStringLiteral("Unknown error %1").arg(number);
}

}  // namespace velmaro::platform::linux_backend

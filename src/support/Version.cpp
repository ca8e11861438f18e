#include "support/Version.h"

namespace velmaro {

QString versionText(int major, int minor, int revision) {
  return QStringLiteral("%1.%2.%3").arg(major).arg(minor).arg(revision);
}

QString windowTitle(int major, int minor, int revision) {
  return QLatin1String(kAppTitle) + QStringLiteral(" v") + versionText(major, minor, revision);
}

}  // namespace velmaro

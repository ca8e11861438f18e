#include "support/DoctorLine.h"

#include <QDir>

namespace velmaro {

DoctorLine CheckLogFolder(const QString& folder, bool writable, const QString& fix) {
  const QString check = QStringLiteral("log-folder");
  if (writable) return OkLine(check, QDir::toNativeSeparators(folder));
  // Not blocking: scans work, but failures would leave no record behind.
  return FixLine(check, false,
                 QStringLiteral("cannot write ErrorLog.txt in %1: %2")
                     .arg(QDir::toNativeSeparators(folder), fix));
}

}  // namespace velmaro

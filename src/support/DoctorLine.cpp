#include "support/DoctorLine.h"

#include <QDir>

namespace velmaro {

DoctorLine CheckLogFolder(const QString& folder, bool writable) {
  const QString check = QStringLiteral("log-folder");
  if (writable) return OkLine(check, QDir::toNativeSeparators(folder));
  // Not blocking: scans work, but failures would leave no record behind.
  return FixLine(check, false,
                 QStringLiteral("cannot write ErrorLog.txt in %1: make the folder writable for "
                                "this user (or set HOME to a writable home)")
                     .arg(QDir::toNativeSeparators(folder)));
}

}  // namespace velmaro

// One line of the field diagnostics: what was checked, and "ok" or the fix.
#pragma once

#include <QString>

namespace velmaro {

enum class Verdict {
  Ok,          // nothing to do
  Fix,         // something to change; `blocking` says whether a scan can work meanwhile
  NotChecked,  // the check needs something the run did not do (say what in the text)
};

struct DoctorLine {
  QString check;  // short key: "icmp", "udp-2860", "broadcast-route"...
  Verdict verdict = Verdict::Ok;
  bool blocking = false;  // a scan cannot find units until this is fixed
  QString text;           // "ok" with what was found in brackets, or the fix in one line
  friend bool operator==(const DoctorLine&, const DoctorLine&) = default;
};

inline DoctorLine OkLine(QString check, const QString& found) {
  return {std::move(check), Verdict::Ok, false,
          found.isEmpty() ? QStringLiteral("ok") : QStringLiteral("ok (%1)").arg(found)};
}

inline DoctorLine FixLine(QString check, bool blocking, QString fix) {
  return {std::move(check), Verdict::Fix, blocking, std::move(fix)};
}

// The log folder: ErrorLog.txt must be creatable there, or failures leave no trace. `fix` is
// the system's way out.
DoctorLine CheckLogFolder(const QString& folder, bool writable, const QString& fix);

}  // namespace velmaro

// The locale leg of a suite: VELMARO_LOCALE_LEG names a desktop locale for the whole run.
// The test entry puts it in the environment before the application object takes the
// locale from there, and makes sure it is in force, so a leg never passes without it.
#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <clocale>
#include <cstdio>

namespace velmaro::test {

// Before the application object: the leg's locale, found in the tree's own locales.
inline void PrepareLocaleLeg(const char* localesFolder) {
  const QByteArray leg = qgetenv("VELMARO_LOCALE_LEG");
  if (leg.isEmpty()) return;
  qputenv("LOCPATH", localesFolder);
  qputenv("LC_ALL", leg);
}

// After it: false (with a message) when the leg's locale is not in force.
inline bool LocaleLegInForce() {
  const QByteArray leg = qgetenv("VELMARO_LOCALE_LEG");
  if (leg.isEmpty()) return true;
  const char* current = std::setlocale(LC_NUMERIC, nullptr);
  if (current && leg == current && std::localeconv()->decimal_point[0] == ',') return true;
  std::fprintf(stderr,
               "locale %s is not in force (built by localedef from the package locales "
               "into %s)\n",
               leg.constData(), qgetenv("LOCPATH").constData());
  return false;
}

}  // namespace velmaro::test

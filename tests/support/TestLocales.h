// Desktop locales for tests, built into the tree (VELMARO_TEST_LOCALES): the locale leg of
// a suite, where VELMARO_LOCALE_LEG names a locale for the whole run (the test entry puts
// it in the environment before the application object takes the locale from there, and
// makes sure it is in force), and a locale for the scope of one test.
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

// The C library runs under `name` (for example "ru_RU.UTF-8") for the life of the object.
class ScopedLocale {
 public:
  explicit ScopedLocale(const char* name) : m_saved(std::setlocale(LC_ALL, nullptr)) {
    qputenv("LOCPATH", VELMARO_TEST_LOCALES);
    m_active = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~ScopedLocale() { std::setlocale(LC_ALL, m_saved.constData()); }
  ScopedLocale(const ScopedLocale&) = delete;
  ScopedLocale& operator=(const ScopedLocale&) = delete;
  // False when the locale was not built (localedef, package locales).
  bool active() const { return m_active; }

 private:
  QByteArray m_saved;
  bool m_active = false;
};

}  // namespace velmaro::test

// System error texts in reports: the classic English text, whatever the desktop's language.
#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include "platform/linux/SystemError.h"
#include "support/TestLocales.h"

namespace velmaro::platform::linux_backend {
namespace {

TEST(SystemErrorText, IsTheEnglishTextUnderADesktopInAnotherScript) {
  test::ScopedLocale russian("ru_RU.UTF-8");
  ASSERT_TRUE(russian.active()) << "locale ru_RU.UTF-8 was not built";
  ASSERT_STRNE(std::strerror(EACCES), "Permission denied")
      << "the system's messages are not translated here (package libc-l10n)";
  const std::pair<int, const char*> cases[] = {
      {EACCES, "Permission denied"},           {EPERM, "Operation not permitted"},
      {ENETUNREACH, "Network is unreachable"}, {EADDRINUSE, "Address already in use"},
      {ENOBUFS, "No buffer space available"},
  };
  for (const auto& [number, text] : cases) {
    EXPECT_EQ(systemErrorText(number), QString::fromLatin1(text)) << number;
  }
  EXPECT_EQ(systemErrorText(99999), QStringLiteral("Unknown error 99999"));
}

}  // namespace
}  // namespace velmaro::platform::linux_backend

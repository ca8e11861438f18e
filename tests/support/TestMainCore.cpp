// Test entry for core suites: an event loop without a screen.
#include <gtest/gtest.h>
#include <QCoreApplication>

#include "support/TestLocales.h"

int main(int argc, char** argv) {
  velmaro::test::PrepareLocaleLeg(VELMARO_TEST_LOCALES);
  QCoreApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  if (!velmaro::test::LocaleLegInForce()) return 1;
  return RUN_ALL_TESTS();
}

// Test entry for window suites: a real QApplication, offscreen unless told otherwise.
#include <gtest/gtest.h>
#include <QApplication>

#include "support/TestLocales.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  velmaro::test::PrepareLocaleLeg(VELMARO_TEST_LOCALES);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  if (!velmaro::test::LocaleLegInForce()) return 1;
  return RUN_ALL_TESTS();
}

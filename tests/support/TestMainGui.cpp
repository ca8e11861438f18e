// Test entry for window suites: a real QApplication, offscreen unless told otherwise.
#include <gtest/gtest.h>
#include <QApplication>

#include "support/TestLocales.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
#ifdef Q_OS_WIN
  // There the offscreen platform knows no system font list: it reads the font files of this
  // one folder, by default one beside Qt's libraries that no deployment has.
  if (qEnvironmentVariableIsEmpty("QT_QPA_FONTDIR")) {
    qputenv("QT_QPA_FONTDIR", qgetenv("WINDIR") + "\\Fonts");
  }
#endif
  velmaro::test::PrepareLocaleLeg(VELMARO_TEST_LOCALES);
  // As the window's own main: the toolkit scales by whole device pixels only, the window
  // lays out the rest of a screen's DPI itself.
  QGuiApplication::setHighDpiScaleFactorRoundingPolicy(Qt::HighDpiScaleFactorRoundingPolicy::Floor);
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  if (!velmaro::test::LocaleLegInForce()) return 1;
  return RUN_ALL_TESTS();
}

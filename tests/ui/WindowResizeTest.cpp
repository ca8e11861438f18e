// The window's size limits and its layout for a new height: the limits at 96 and 120 dpi,
// the hook table's records, the "Title" column, minimising and restoring.
#include "WindowFixture.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QScrollBar>
#include <QWindow>

#include "support/Tunables.h"
#include "ui/modResizeSubclass.h"

namespace velmaro::test {
namespace {

using ui::ScreenMetrics;

TEST(ScreenMetricsTest, TwipsPerPixelFollowTheScreensRealDpi) {
  const struct {
    double logicalDpi;
    double ratio;  // device pixels per logical pixel
    double twipsPerPixel;
  } cases[] = {{96, 1, 15}, {120, 1, 12}, {96, 1.25, 12}, {144, 1, 10}, {96, 1.5, 10}, {96, 2, 7.5}};
  for (const auto& c : cases) {
    const ScreenMetrics m = ui::ScreenMetricsFor(c.logicalDpi, c.logicalDpi, c.ratio, QSize(800, 600));
    EXPECT_DOUBLE_EQ(m.twipsPerPixelX, c.twipsPerPixel) << c.logicalDpi << " x " << c.ratio;
    EXPECT_DOUBLE_EQ(m.twipsPerPixelY, c.twipsPerPixel) << c.logicalDpi << " x " << c.ratio;
    EXPECT_EQ(m.heightPixels, qRound(600 * c.ratio));
  }
}

TEST(SizeLimitsTest, TwipsBecomeWholePixelsHalvesToEven) {
  const ScreenMetrics at96{15, 15, 1280, 1000};
  const ScreenMetrics at120{12, 12, 1600, 1250};
  const struct {
    const char* what;
    int minW, minH, maxW, maxH;
    ScreenMetrics screen;
    int pixels[4];
    QSize trackMin, trackMax;
  } cases[] = {
      {"main window at 96 dpi", 12870, 4920, 12870, 0, at96, {858, 328, 858, 1000}, {858, 328}, {858, 1000}},
      // 12870 / 12 = 1072.5 goes to the even neighbour.
      {"main window at 120 dpi", 12870, 4920, 12870, 0, at120, {1072, 410, 1072, 1250}, {1072, 410}, {1072, 1250}},
      // No limits given: 2000 x 1000 twips and the screen, then the 150 x 100 floor.
      {"nothing given", 0, 0, 0, 0, at96, {133, 67, 1280, 1000}, {150, 100}, {1280, 1000}},
      // A maximum beyond the screen is cut to it; one below the minimum rises to it.
      {"beyond the screen", 3000, 3000, 30000, 1500, at96, {200, 200, 2000, 100}, {200, 200}, {1280, 200}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto record = ui::SizeLimitsInPixels(c.minW, c.minH, c.maxW, c.maxH, c.screen);
    EXPECT_EQ(record.minWidth, c.pixels[0]);
    EXPECT_EQ(record.minHeight, c.pixels[1]);
    EXPECT_EQ(record.maxWidth, c.pixels[2]);
    EXPECT_EQ(record.maxHeight, c.pixels[3]);
    const auto tracking = ui::MinMaxTracking(record, c.screen);
    EXPECT_EQ(tracking.minimum, c.trackMin);
    EXPECT_EQ(tracking.maximum, c.trackMax);
  }
}

// Index of the live record of a window, -1 when it has none.
int recordOf(const QWidget& w) {
  const auto* table = ui::SizeLimitTable();
  if (!table) return -1;
  for (size_t i = 0; i < table->size(); ++i) {
    if ((*table)[i].window == &w && !(*table)[i].free()) return static_cast<int>(i);
  }
  return -1;
}

TEST(SizeLimitTableTest, RemovedHooksFreeTheirRecordsForTheNextWindow) {
  QWidget a, b, c;
  ui::SetWindowSizeLimits(a, true, 3000, 3000, 6000, 6000);
  ui::SetWindowSizeLimits(b, true, 3000, 3000, 6000, 6000);
  const size_t size = ui::SizeLimitTable()->size();
  const int first = recordOf(a);
  ASSERT_GE(first, 0);
  ASSERT_GT(recordOf(b), first);

  ui::SetWindowSizeLimits(a, false, 0, 0, 0, 0);
  EXPECT_EQ(recordOf(a), -1);
  EXPECT_EQ((*ui::SizeLimitTable())[static_cast<size_t>(first)].window, &a) << "kept until reused";
  EXPECT_EQ(a.minimumSize(), QSize(0, 0)) << "the window is free again";
  ui::SetWindowSizeLimits(c, true, 3000, 3000, 6000, 6000);
  EXPECT_EQ(recordOf(c), first) << "lowest free record";
  ui::SetWindowSizeLimits(a, true, 3000, 3000, 6000, 6000);
  EXPECT_EQ(ui::SizeLimitTable()->size(), size + 1) << "no free record left: the table grows";

  ui::SetWindowSizeLimits(a, false, 0, 0, 0, 0);
  ui::SetWindowSizeLimits(b, false, 0, 0, 0, 0);
  ui::SetWindowSizeLimits(c, false, 0, 0, 0, 0);
  ui::SetWindowSizeLimits(b, true, 3000, 3000, 6000, 6000);
  EXPECT_EQ(recordOf(b), first) << "the same window takes the lowest free record too";
  ui::SetWindowSizeLimits(b, false, 0, 0, 0, 0);
  ui::SetWindowSizeLimits(b, false, 0, 0, 0, 0);  // removing twice is harmless
  EXPECT_EQ(ui::SizeLimitTable()->size(), size + 1);
}

TEST(SizeLimitTableTest, AWindowAt120DpiIs1072PixelsWideAndAtLeast410High) {
  QWidget w;
  w.resize(500, 200);
  ui::SetWindowSizeLimits(w, true, 12870, 4920, 12870, 0, ScreenMetrics{12, 12, 1600, 1250});
  w.show();
  QCoreApplication::processEvents();
  for (const QSize asked : {QSize(600, 100), QSize(1500, 300)}) {
    w.resize(asked - (w.frameGeometry().size() - w.size()));
    EXPECT_EQ(w.frameGeometry().size(), QSize(1072, 410)) << asked.width() << " x " << asked.height();
  }
  ui::SetWindowSizeLimits(w, false, 0, 0, 0, 0);
}

class WindowResizeTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    window->Form_Load();
    window->show();
    QCoreApplication::processEvents();
  }
  QSize frame() const { return window->frameGeometry().size(); }
  void resizeOuter(QSize outer) {
    window->resize(outer - (window->frameGeometry().size() - window->size()));
    QCoreApplication::processEvents();
  }
  int listHeight() const { return view().height(); }
  int titlePixels() const { return view().header()->sectionSize(5); }
};

TEST_F(WindowResizeTest, At96DpiTheWidthIsFixedAt858AndTheHeightRunsFrom328ToTheScreen) {
  const int screenHeight = window->screen()->availableGeometry().height();
  EXPECT_EQ(frame().width(), 858);
  resizeOuter({700, 100});
  EXPECT_EQ(frame(), QSize(858, 328));
  resizeOuter({1000, 100000});
  EXPECT_EQ(frame(), QSize(858, screenHeight));

  // A size the window system forces on the window from outside is taken back.
  window->windowHandle()->resize(900, 50);
  QCoreApplication::processEvents();
  EXPECT_EQ(frame(), QSize(858, 328));
}

TEST_F(WindowResizeTest, TheListAndLowerFrameFollowTheHeightAndTitleTakesTheRestOfTheWidth) {
  resizeOuter({858, 600});
  const int lowerBefore = child<QGroupBox>("fraMain(1)")->height();
  const int listBefore = listHeight();
  resizeOuter({858, 500});
  EXPECT_EQ(child<QGroupBox>("fraMain(1)")->height(), lowerBefore - 100);
  EXPECT_EQ(listHeight(), listBefore - 100);
  // Inner height less the upper frame (60 + 1455 twips) and 120 twips; the list keeps
  // 240 twips above it and 120 below.
  EXPECT_EQ(child<QGroupBox>("fraMain(1)")->height(), window->height() - 109);
  EXPECT_EQ(listHeight(), child<QGroupBox>("fraMain(1)")->height() - 24);
  // 12255 - (1800 + 1200 + 1100 + 2200 + 2600) - 350 twips.
  EXPECT_EQ(view().columnWidthTwips(5), 3005);
  EXPECT_EQ(titlePixels(), 200);
  // Hidden, the scanning panel is centred on the area left of the scan buttons.
  const auto* panel = child<QWidget>("picScanning");
  EXPECT_EQ(panel->x(), -21);  // (9180 - 9825) / 2 twips
}

TEST_F(WindowResizeTest, WhenTheOtherColumnsFillTheListTitleKeepsAMinimumAndTheListScrolls) {
  view().header()->resizeSection(4, 700);  // as the user drags a divider
  resizeOuter({858, 450});
  EXPECT_EQ(view().columnWidthTwips(4), 700 * 15);
  EXPECT_EQ(view().columnWidthTwips(5), tunables::kTitleMinWidthTwips);
  EXPECT_EQ(titlePixels(), tunables::kTitleMinWidthTwips / 15);
  EXPECT_GT(view().horizontalScrollBar()->maximum(), 0);
}

TEST_F(WindowResizeTest, MinimisingAndRestoringKeepTheLayout) {
  resizeOuter({858, 560});
  const int list = listHeight();
  const QRect lower = child<QGroupBox>("fraMain(1)")->geometry();
  const QSize size = window->size();

  window->showMinimized();
  QCoreApplication::processEvents();
  ASSERT_TRUE(window->isMinimized());
  // An iconified window may be reported at another size; the controls stay as they were.
  window->resize(size.width(), size.height() - 150);
  EXPECT_EQ(listHeight(), list);
  EXPECT_EQ(child<QGroupBox>("fraMain(1)")->geometry(), lower);

  window->showNormal();
  window->resize(size);
  QCoreApplication::processEvents();
  EXPECT_FALSE(window->isMinimized());
  EXPECT_EQ(listHeight(), list);
  EXPECT_EQ(child<QGroupBox>("fraMain(1)")->geometry(), lower);
  EXPECT_EQ(titlePixels(), 200);
}

TEST_F(WindowResizeTest, ClosingRemovesTheLimits) {
  ASSERT_GE(recordOf(*window), 0);
  window->close();
  EXPECT_EQ(recordOf(*window), -1);
  EXPECT_EQ(window->minimumSize(), QSize(0, 0));
}

}  // namespace
}  // namespace velmaro::test

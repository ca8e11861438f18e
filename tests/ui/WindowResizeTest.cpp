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

TEST(SizeLimitsTest, TwipsPerPixelFollowTheScreensRealDpi) {
  const struct {
    double dpi, ratio, twipsPerPixel;
  } cases[] = {{96, 1, 15},  {120, 1, 12},  {96, 1.25, 12},
               {144, 1, 10}, {96, 1.5, 10}, {96, 2, 7.5}};
  for (const auto& c : cases) {
    const ScreenMetrics m = ui::ScreenMetricsFor(c.dpi, c.dpi, c.ratio, QSize(800, 600));
    EXPECT_DOUBLE_EQ(m.twipsPerPixelY, c.twipsPerPixel) << c.dpi << " x " << c.ratio;
    EXPECT_EQ(m.heightPixels, qRound(600 * c.ratio));
  }
}

TEST(SizeLimitsTest, LimitsBecomeWholePixelsHalvesToEvenWithinTheFloorAndTheScreen) {
  const struct {
    int twips[4];
    ScreenMetrics screen;
    QSize min, max;  // outer pixels the window may take
  } cases[] = {
      {{12870, 4920, 12870, 0}, {15, 15, 1280, 1000}, {858, 328}, {858, 1000}},
      {{12870, 4920, 12870, 0}, {12, 12, 1600, 1250}, {1072, 410}, {1072, 1250}},  // 1072.5
      {{0, 0, 0, 0}, {15, 15, 1280, 1000}, {150, 100}, {1280, 1000}},  // 133 x 67 raised
      {{3000, 3000, 30000, 1500}, {15, 15, 1280, 1000}, {200, 200}, {1280, 200}},
  };
  for (const auto& c : cases) {
    const auto record =
        ui::SizeLimitsInPixels(c.twips[0], c.twips[1], c.twips[2], c.twips[3], c.screen);
    const auto tracking = ui::MinMaxTracking(record, c.screen);
    EXPECT_EQ(tracking.minimum, c.min) << c.twips[0] << " at " << c.screen.twipsPerPixelX;
    EXPECT_EQ(tracking.maximum, c.max) << c.twips[0] << " at " << c.screen.twipsPerPixelX;
  }
}

// Index of the live record of a window, -1 when it has none.
int recordOf(const QWidget& w) {
  const auto* table = ui::SizeLimitTable();
  for (size_t i = 0; table && i < table->size(); ++i) {
    if ((*table)[i].window == &w && !(*table)[i].free()) return static_cast<int>(i);
  }
  return -1;
}

TEST(SizeLimitsTest, RemovedHooksFreeTheirRecordsLowestFirst) {
  QWidget a, b, c;
  const auto hook = [](QWidget& w, bool on) {
    ui::SetWindowSizeLimits(w, on, 3000, 3000, 6000, 6000);
  };
  hook(a, true);
  hook(b, true);
  const size_t size = ui::SizeLimitTable()->size();
  const int first = recordOf(a);
  ASSERT_GT(recordOf(b), first);

  hook(a, false);
  EXPECT_EQ(a.minimumSize(), QSize(0, 0)) << "the window is free again";
  hook(c, true);
  EXPECT_EQ(recordOf(c), first);
  hook(a, true);
  EXPECT_EQ(ui::SizeLimitTable()->size(), size + 1) << "no free record: the table grows";
  for (QWidget* w : {&a, &b, &c}) hook(*w, false);
  hook(b, true);
  EXPECT_EQ(recordOf(b), first);
  hook(b, false);
  hook(b, false);  // a second removal finds nothing
  EXPECT_EQ(ui::SizeLimitTable()->size(), size + 1);
}

TEST(SizeLimitsTest, AWindowAt120DpiIs1072PixelsWideAndAtLeast410High) {
  QWidget w;
  ui::SetWindowSizeLimits(w, true, 12870, 4920, 12870, 0, ScreenMetrics{12, 12, 1600, 1250});
  w.show();
  w.windowHandle()->resize(1500, 100);  // as the window system would
  QCoreApplication::processEvents();
  EXPECT_EQ(w.frameGeometry().size(), QSize(1072, 410));
}

class WindowResizeTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    window->Form_Load();
    window->show();
  }
  QSize outer() const { return window->frameGeometry().size(); }
  void resizeOuter(int width, int height) {
    window->resize(QSize(width, height) - (outer() - window->size()));
    QCoreApplication::processEvents();
  }
  int lowerHeight() const { return child<QGroupBox>("fraMain(1)")->height(); }
  int titlePixels() const { return view().header()->sectionSize(5); }
};

TEST_F(WindowResizeTest, At96DpiTheWidthIsFixedAt858AndTheHeightRunsFrom328ToTheScreen) {
  EXPECT_EQ(outer().width(), 858);
  resizeOuter(700, 100);
  EXPECT_EQ(outer(), QSize(858, 328));
  resizeOuter(1000, 100000);
  EXPECT_EQ(outer(), QSize(858, window->screen()->geometry().height()));
  window->windowHandle()->resize(900, 50);  // forced from outside, taken back
  QCoreApplication::processEvents();
  EXPECT_EQ(outer(), QSize(858, 328));
}

TEST_F(WindowResizeTest, TheListFollowsTheHeightAndTitleTakesTheRestOfTheWidth) {
  resizeOuter(858, 500);
  // Inner height less 60 + 1455 + 120 twips; the list keeps 240 above and 120 below.
  EXPECT_EQ(lowerHeight(), window->height() - 109);
  EXPECT_EQ(view().height(), lowerHeight() - 24);
  // 12255 - (1800 + 1200 + 1100 + 2200 + 2600) - 350.
  EXPECT_EQ(view().columnWidthTwips(5), 3005);
  EXPECT_EQ(titlePixels(), 200);
  EXPECT_EQ(child<QWidget>("picScanning")->x(), -21);  // (9180 - 9825) / 2 twips
}

TEST(TitleWidthTest, TitleTakesWhatEveryOtherColumnLeavesWhereverItSits) {
  using Widths = std::array<int, ResultList::kColumnCount>;
  const struct {
    Widths widths;
    int column;
    int expected;
  } cases[] = {
      {{1800, 1200, 1100, 2200, 2600, 3320}, 5, 3005},  // 12255 - 8900 - 350
      {{1800, 1200, 3320, 1100, 2200, 2600}, 2, 3005},  // in the middle: columns after it count
      {{3320, 1800, 1200, 1100, 2200, 2600}, 0, 3005},
      {{1800, 1200, 1100, 2200, 5000, 3320}, 5, 605},
      {{1800, 1200, 1100, 2200, 5700, 3320}, 5, tunables::kTitleMinWidthTwips},  // 0 left
      {{1800, 1200, 1100, 2200, 9000, 3320}, 5, tunables::kTitleMinWidthTwips},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ui::FillingColumnWidthTwips(c.widths, c.column, 12255), c.expected)
        << "column " << c.column << ", fifth width " << c.widths[4];
  }
}

TEST_F(WindowResizeTest, WhenTheOtherColumnsFillTheListTitleKeepsAMinimumAndTheListScrolls) {
  view().header()->resizeSection(4, 700);  // as the user drags a divider
  resizeOuter(858, 450);
  EXPECT_EQ(view().columnWidthTwips(5), tunables::kTitleMinWidthTwips);
  EXPECT_EQ(titlePixels(), tunables::kTitleMinWidthTwips / 15);
  EXPECT_GT(view().horizontalScrollBar()->maximum(), 0);
}

TEST_F(WindowResizeTest, MinimisingAndRestoringKeepTheLayout) {
  resizeOuter(858, 560);
  const int lower = lowerHeight();
  const int list = view().height();
  const QSize size = window->size();
  window->showMinimized();
  ASSERT_TRUE(window->isMinimized());
  window->resize(size.width(), size.height() - 150);  // an iconified window's reported size
  EXPECT_EQ(lowerHeight(), lower);
  window->showNormal();
  window->resize(size);
  EXPECT_FALSE(window->isMinimized());
  EXPECT_EQ(lowerHeight(), lower);
  EXPECT_EQ(view().height(), list);
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

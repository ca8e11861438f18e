// The drawn pictures and the twips arithmetic of the layout.
#include <gtest/gtest.h>

#include <QImage>

#include "ui/Artwork.h"
#include "ui/Twips.h"

namespace velmaro::ui {
namespace {

TEST(TwipsTest, LengthsScaleWithTheScreen) {
  const struct {
    int twips;
    double scale;
    int pixels;
  } cases[] = {{1455, 1.0, 97},  {12535, 1.0, 836},  {1100, 1.0, 73},   {15, 1.0, 1},  {0, 1.0, 0},
               {1455, 2.0, 194}, {12630, 1.5, 1263}, {7335, 1.25, 611}, {195, 1.5, 20}};
  for (const auto& c : cases) {
    EXPECT_EQ(TwipsToPixels(c.twips, c.scale), c.pixels) << c.twips << " at " << c.scale;
  }
  EXPECT_EQ(TwipsToPixels(TwipsRect{60, 1560, 12535, 5715}, 1.0), QRect(4, 104, 836, 381));
  EXPECT_DOUBLE_EQ(ScaleForDpi(96), 1.0);
  EXPECT_DOUBLE_EQ(ScaleForDpi(192), 2.0);
  EXPECT_DOUBLE_EQ(ScaleForDpi(0), 1.0);  // a screen that reports nothing
}

bool isGreen(QColor c) {
  return c.alpha() > 200 && c.green() > 2 * c.red() && c.green() > 2 * c.blue();
}
bool isRed(QColor c) {
  return c.alpha() > 200 && c.red() > 2 * c.green() && c.red() > 2 * c.blue();
}

TEST(ArtworkTest, AddIsAGreenPlusAndRemoveARedBar) {
  const QImage add = RowIcon(u"add").pixmap(16).toImage();
  const QImage remove = RowIcon(u"remove").pixmap(16).toImage();
  ASSERT_EQ(add.size(), QSize(16, 16));
  ASSERT_EQ(remove.size(), QSize(16, 16));
  // Both cross the middle; only the plus has an upright stroke.
  EXPECT_TRUE(isGreen(add.pixelColor(8, 8)));
  EXPECT_TRUE(isGreen(add.pixelColor(2, 8)));
  EXPECT_TRUE(isGreen(add.pixelColor(8, 3)));
  EXPECT_TRUE(isRed(remove.pixelColor(8, 8)));
  EXPECT_TRUE(isRed(remove.pixelColor(2, 8)));
  EXPECT_EQ(remove.pixelColor(8, 3).alpha(), 0);
  EXPECT_EQ(add.pixelColor(0, 0).alpha(), 0);
  EXPECT_TRUE(RowIcon(u"").isNull());
  EXPECT_TRUE(RowIcon(u"Add").isNull());
}

TEST(ArtworkTest, BackgroundTileIsABlueRowOverAWhiteOne) {
  const QImage tile = ListBackgroundTile(31, 17).toImage();
  ASSERT_EQ(tile.size(), QSize(31, 34));
  for (int y : {0, 8, 16}) EXPECT_EQ(tile.pixelColor(30, y), QColor(0xD1, 0xE0, 0xFD)) << y;
  for (int y : {17, 25, 33}) EXPECT_EQ(tile.pixelColor(0, y), QColor(Qt::white)) << y;
}

TEST(ArtworkTest, PicturesAreDrawnAtTheirSizes) {
  const QImage glass = ScanningPicture(48).toImage();
  ASSERT_EQ(glass.size(), QSize(48, 48));
  EXPECT_EQ(glass.pixelColor(0, 47).alpha(), 0);  // transparent ground
  int painted = 0;
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 48; ++x) painted += glass.pixelColor(x, y).alpha() > 0;
  EXPECT_GT(painted, 48 * 48 / 10);
  const QIcon icon = WindowIcon();
  for (int side : {16, 32}) EXPECT_EQ(icon.pixmap(side).size(), QSize(side, side)) << side;
}

}  // namespace
}  // namespace velmaro::ui

// The program's pictures, drawn in code so they stay sharp at any size: the window icon
// (a magnifying glass over the maker's letters "NV"), the scanning panel's magnifying
// glass, the result rows' "add" and "remove" marks and the list's striped background.
#pragma once

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QStringView>

namespace velmaro::ui {

// The light blue of every other row of the result list.
inline const QColor kListStripeBlue{0xD1, 0xE0, 0xFD};

QIcon WindowIcon();
// A square magnifying glass of `side` pixels on a transparent ground.
QPixmap ScanningPicture(int side);
// The mark of a row by its icon key: "add" a green plus, "remove" a red minus bar,
// anything else no icon.
QIcon RowIcon(QStringView key);
// One tile of the list background: `rowHeight` pixel rows of light blue over as many of
// white, so repeated it shades the rows in turn.
QPixmap ListBackgroundTile(int width, int rowHeight);

}  // namespace velmaro::ui

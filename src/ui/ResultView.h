// The result list on screen: a report-style view over the row model, with the rows'
// change marks, 17-pixel rows on a striped background, and the mouse reported in the
// terms the window's list procedures expect (button value, row under the pointer).
#pragma once

#include <QIcon>
#include <QIdentityProxyModel>
#include <QTreeView>
#include <array>
#include <optional>

#include "form/ResultList.h"

namespace velmaro::ui {

// The button value of a mouse state: 1 left, 2 right, 4 middle, summed.
int ButtonValue(Qt::MouseButtons buttons);

// The width that lets `column` take up what every other column leaves of a list
// `listWidthTwips` wide, less room for the vertical scroll bar; wherever the column sits.
// When the others fill the list it keeps a readable minimum and the list scrolls.
int FillingColumnWidthTwips(const std::array<int, ResultList::kColumnCount>& widthsTwips,
                            int column, int listWidthTwips);

// Shows a row's icon key as its picture.
class IconProxyModel final : public QIdentityProxyModel {
  Q_OBJECT

 public:
  explicit IconProxyModel(QObject* parent = nullptr);
  QVariant data(const QModelIndex& index, int role) const override;

 private:
  QIcon m_add;
  QIcon m_remove;
};

class ResultView final : public QTreeView {
  Q_OBJECT

 public:
  // `scale` is screen pixels per 96-dpi pixel.
  ResultView(ResultList& list, double scale, QWidget* parent = nullptr);

  ResultList& list() const { return m_list; }
  // The row at a point of the viewport, if any.
  std::optional<RowId> rowAt(QPoint viewportPos) const;
  int rowHeight() const { return m_rowHeight; }

  // Column widths in twips, as the design gives them and as the user's dragging leaves
  // them, so layout sums stay exact whatever each width rounds to on screen.
  int columnWidthTwips(int column) const;
  const std::array<int, ResultList::kColumnCount>& columnWidthsTwips() const {
    return m_widthTwips;
  }
  void setColumnWidthTwips(int column, int twips);

 signals:
  // A button went down over the list; `buttonValue` counts every button held.
  void buttonDown(int buttonValue, QPoint viewportPos);
  // A left double-click anywhere on the list, on a row or not.
  void listDoubleClicked();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) override;

 private:
  void viewSelectionChanged();
  void listSelectionChanged();
  void scrollToRow(int row);
  void sectionResized(int column, int newPixels);

  ResultList& m_list;
  IconProxyModel* m_proxy;
  double m_scale;
  int m_rowHeight;
  std::array<int, ResultList::kColumnCount> m_widthTwips{};
  bool m_sizingColumn = false;
  bool m_syncing = false;
};

}  // namespace velmaro::ui

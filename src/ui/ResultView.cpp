#include "ui/ResultView.h"

#include <QFont>
#include <QHeaderView>
#include <QMouseEvent>
#include <QPalette>
#include <QStyledItemDelegate>

#include "support/Tunables.h"
#include "ui/Artwork.h"
#include "ui/Twips.h"

namespace velmaro::ui {
namespace {

// Every row is as high as a 16-pixel icon plus one, whatever the font says, so the rows
// line up with the stripes of the background.
class FixedRowDelegate final : public QStyledItemDelegate {
 public:
  FixedRowDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), m_height(height) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    return {QStyledItemDelegate::sizeHint(option, index).width(), m_height};
  }

 private:
  int m_height;
};

constexpr int kRowHeight96 = 17;  // 16-pixel icon + 1
constexpr int kIconSide96 = 16;
constexpr int kTileWidth96 = 31;

}  // namespace

int ButtonValue(Qt::MouseButtons buttons) {
  int value = 0;
  if (buttons & Qt::LeftButton) value += 1;
  if (buttons & Qt::RightButton) value += 2;
  if (buttons & Qt::MiddleButton) value += 4;
  return value;
}

int FillingColumnWidthTwips(const std::array<int, ResultList::kColumnCount>& widthsTwips,
                            int column, int listWidthTwips) {
  int others = 0;
  for (size_t i = 0; i < widthsTwips.size(); ++i) {
    if (static_cast<int>(i) != column) others += widthsTwips[i];
  }
  const int width = listWidthTwips - others - tunables::kScrollBarRoomTwips;
  return width > 0 ? width : tunables::kTitleMinWidthTwips;
}

IconProxyModel::IconProxyModel(QObject* parent)
    : QIdentityProxyModel(parent), m_add(RowIcon(u"add")), m_remove(RowIcon(u"remove")) {}

QVariant IconProxyModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DecorationRole) return QIdentityProxyModel::data(index, role);
  const QString key = QIdentityProxyModel::data(index, ResultList::IconKeyRole).toString();
  if (key == u"add") return m_add;
  if (key == u"remove") return m_remove;
  return {};
}

ResultView::ResultView(ResultList& list, double scale, QWidget* parent)
    : QTreeView(parent),
      m_list(list),
      m_proxy(new IconProxyModel(this)),
      m_scale(scale),
      m_rowHeight(std::max(1, qRound(kRowHeight96 * scale))) {
  m_proxy->setSourceModel(&m_list);
  setModel(m_proxy);

  setRootIsDecorated(false);
  setItemsExpandable(false);
  setUniformRowHeights(true);
  setAllColumnsShowFocus(true);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSortingEnabled(false);  // the row model sorts, on the window's header-click rules
  setContextMenuPolicy(Qt::NoContextMenu);
  setItemDelegate(new FixedRowDelegate(m_rowHeight, this));
  const int icon = qRound(kIconSide96 * scale);
  setIconSize(QSize(icon, icon));

  QFont font;
  font.setFamilies({QStringLiteral("Verdana"), QStringLiteral("DejaVu Sans")});
  font.setStyleHint(QFont::SansSerif);
  font.setPointSizeF(9);
  setFont(font);

  // Stripes that move with the view's rows: the tile is two rows high and the view
  // scrolls by whole rows.
  QPalette pal = palette();
  pal.setBrush(QPalette::Base,
               QBrush(ListBackgroundTile(qRound(kTileWidth96 * scale), m_rowHeight)));
  setPalette(pal);
  setAlternatingRowColors(false);
  setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  viewport()->setAutoFillBackground(true);

  QHeaderView* head = header();
  head->setSectionsClickable(true);
  head->setSectionsMovable(false);
  head->setStretchLastSection(false);
  head->setSortIndicatorShown(false);
  head->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  const auto& columns = ResultList::columns();
  for (int i = 0; i < ResultList::kColumnCount; ++i) {
    setColumnWidthTwips(i, columns[static_cast<size_t>(i)].widthTwips);
  }
  connect(head, &QHeaderView::sectionResized, this,
          [this](int column, int, int newPixels) { sectionResized(column, newPixels); });

  connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &ResultView::viewSelectionChanged);
  connect(&m_list, &ResultList::selectionChanged, this, &ResultView::listSelectionChanged);
  connect(&m_list, &ResultList::scrollToRequested, this, &ResultView::scrollToRow);
}

std::optional<RowId> ResultView::rowAt(QPoint viewportPos) const {
  const QModelIndex at = indexAt(viewportPos);
  if (!at.isValid()) return std::nullopt;
  return RowId{at.siblingAtColumn(0).data(ResultList::RowIdRole).toULongLong()};
}

void ResultView::mousePressEvent(QMouseEvent* event) {
  // Only the left button selects; the right one belongs to the popup menu, which picks
  // its own row, and must leave the selection alone when it hits no row.
  if (event->button() == Qt::LeftButton) {
    QTreeView::mousePressEvent(event);
  } else {
    event->accept();
  }
  emit buttonDown(ButtonValue(event->buttons()), event->position().toPoint());
}

void ResultView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    QTreeView::mouseReleaseEvent(event);
  } else {
    event->accept();
  }
}

void ResultView::mouseMoveEvent(QMouseEvent* event) {
  const Qt::MouseButtons others = Qt::RightButton | Qt::MiddleButton;
  if ((event->buttons() & others) && !(event->buttons() & Qt::LeftButton)) {
    event->accept();
    return;
  }
  QTreeView::mouseMoveEvent(event);
}

void ResultView::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    // A quick second press of another button is still a press.
    mousePressEvent(event);
    return;
  }
  QTreeView::mouseDoubleClickEvent(event);
  emit listDoubleClicked();
}

void ResultView::rowsAboutToBeRemoved(const QModelIndex& parent, int start, int end) {
  // The view would hand the selection to a neighbour of a removed row; a procedure that
  // drops a host must not leave another one selected for the next double-click.
  const int current = currentIndex().row();
  if (!parent.isValid() && current >= start && current <= end) selectionModel()->clear();
  QTreeView::rowsAboutToBeRemoved(parent, start, end);
}

void ResultView::viewSelectionChanged() {
  if (m_syncing) return;
  m_syncing = true;
  const QModelIndexList rows = selectionModel()->selectedRows();
  std::optional<RowId> row;
  if (!rows.isEmpty()) row = RowId{rows.first().data(ResultList::RowIdRole).toULongLong()};
  if (row && m_list.exists(*row)) {
    m_list.select(*row);
  } else {
    m_list.deselect();
  }
  m_syncing = false;
}

void ResultView::listSelectionChanged() {
  if (m_syncing) return;
  m_syncing = true;
  const auto row = m_list.selected();
  const int at = row ? m_list.positionOf(*row) - 1 : -1;
  if (at >= 0) {
    selectionModel()->setCurrentIndex(
        m_proxy->index(at, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  } else {
    selectionModel()->clearSelection();
  }
  m_syncing = false;
}

int ResultView::columnWidthTwips(int column) const {
  return m_widthTwips.at(static_cast<size_t>(column));
}

void ResultView::setColumnWidthTwips(int column, int twips) {
  m_widthTwips.at(static_cast<size_t>(column)) = twips;
  m_sizingColumn = true;
  header()->resizeSection(column, TwipsToPixels(twips, m_scale));
  m_sizingColumn = false;
}

void ResultView::sectionResized(int column, int newPixels) {
  // Only a width the user dragged is taken back from the screen.
  if (m_sizingColumn || column < 0 || column >= ResultList::kColumnCount) return;
  m_widthTwips[static_cast<size_t>(column)] = PixelsToTwips(newPixels, m_scale);
}

void ResultView::scrollToRow(int row) {
  if (row >= 0 && row < m_proxy->rowCount()) scrollTo(m_proxy->index(row, 0));
}

}  // namespace velmaro::ui

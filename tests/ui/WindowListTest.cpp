// The result list on screen: columns, rows, icons, header clicks, double-click, the popup
// menu and the selection shared with the row model.
#include "WindowFixture.h"

#include <QAction>
#include <QHeaderView>
#include <QIcon>
#include <QMenu>
#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace velmaro::test {
namespace {

void clickHeader(ui::ResultView& view, int section) {
  QHeaderView* header = view.header();
  const QPoint at(header->sectionViewportPosition(section) + 5, header->height() / 2);
  for (auto type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QMouseEvent event(type, at, header->viewport()->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton,
                      Qt::NoModifier);
    QApplication::sendEvent(header->viewport(), &event);
  }
}

TEST_F(WindowTest, ColumnsHaveTheirCaptionsAndDesignWidths) {
  const struct {
    const char* caption;
    int pixels;
  } columns[] = {{"Host IP", 120}, {"HTTP Port", 80},     {"Ping (ms)", 73},
                 {"MAC", 147},     {"Manufacturer", 173}, {"Title", 221}};
  QHeaderView* header = view().header();
  ASSERT_EQ(header->count(), 6);
  for (int i = 0; i < 6; ++i) {
    SCOPED_TRACE(columns[i].caption);
    EXPECT_EQ(view().model()->headerData(i, Qt::Horizontal).toString(),
              QLatin1String(columns[i].caption));
    EXPECT_EQ(header->sectionSize(i), columns[i].pixels);
  }
  EXPECT_FALSE(view().isSortingEnabled());
  EXPECT_FALSE(view().rootIsDecorated());
  EXPECT_EQ(view().editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_EQ(view().selectionMode(), QAbstractItemView::SingleSelection);
  EXPECT_EQ(view().selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST_F(WindowTest, RowsAreSeventeenPixelsAndShowTheirMarks) {
  window->show();
  const RowId plain = addRow("10.0.0.1");
  const RowId added = addRow("10.0.0.2");
  const RowId gone = addRow("10.0.0.3");
  list().setIcon(added, RowIcon::Add);
  list().setIcon(gone, RowIcon::Remove);
  for (int r = 1; r <= 3; ++r)
    EXPECT_EQ(view().visualRect(view().model()->index(r - 1, 0)).height(), 17);
  const auto icon = [&](int r) {
    return view().model()->index(r, 0).data(Qt::DecorationRole).value<QIcon>();
  };
  EXPECT_TRUE(icon(0).isNull());
  ASSERT_FALSE(icon(1).isNull());
  ASSERT_FALSE(icon(2).isNull());
  EXPECT_NE(icon(1).pixmap(16).toImage(), icon(2).pixmap(16).toImage());
  EXPECT_TRUE(
      view().model()->index(1, 1).data(Qt::DecorationRole).isNull());  // only the address cell
  list().setIcon(added, RowIcon::None);
  EXPECT_TRUE(icon(1).isNull());
  (void)plain;
}

TEST_F(WindowTest, HeaderClicksSortTheShownRows) {
  window->show();
  const struct {
    const char* ip;
    const char* ping;
  } rows[] = {{"10.0.0.2", "20 ms"}, {"10.0.0.10", "100 ms"}, {"10.0.0.1", "3 ms"}};
  for (const auto& r : rows) {
    list().setCell(list().append(QString::fromLatin1(r.ip)), 2, QString::fromLatin1(r.ping));
  }
  clickHeader(view(), 0);
  EXPECT_EQ(shownColumn(0), (QStringList{u"10.0.0.2"_s, u"10.0.0.10"_s, u"10.0.0.1"_s}));
  clickHeader(view(), 0);
  EXPECT_EQ(shownColumn(0), (QStringList{u"10.0.0.1"_s, u"10.0.0.10"_s, u"10.0.0.2"_s}));
  clickHeader(view(), 2);
  EXPECT_EQ(shownColumn(2), (QStringList{u"100 ms"_s, u"20 ms"_s, u"3 ms"_s}));
  window->setIdle(false);
  clickHeader(view(), 2);
  clickHeader(view(), 0);
  EXPECT_EQ(shownColumn(2), (QStringList{u"100 ms"_s, u"20 ms"_s, u"3 ms"_s}));
  EXPECT_EQ(list().sortColumn(), 2);
  EXPECT_TRUE(list().sortAscending());
  EXPECT_TRUE(log.reports.isEmpty()) << log.reports.join(u'\n').toStdString();
}

TEST_F(WindowTest, HeaderClickOnAnEmptyListIsSafe) {
  window->show();
  clickHeader(view(), 4);
  clickHeader(view(), 4);
  EXPECT_EQ(list().sortColumn(), 4);
  EXPECT_FALSE(list().sortAscending());
  EXPECT_EQ(view().model()->rowCount(), 0);
}

TEST_F(WindowTest, SelectionIsSharedWithTheRowModelBothWays) {
  window->show();
  addRow("10.0.0.2");
  const RowId ten = addRow("10.0.0.10");
  addRow("10.0.0.1");
  // A left click selects on screen and in the model.
  mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, rowPoint(2));
  mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, rowPoint(2));
  ASSERT_TRUE(list().selected());
  EXPECT_EQ(*list().selected(), ten);
  // Sorting moves the row; the selection goes with it.
  clickHeader(view(), 0);
  clickHeader(view(), 0);
  ASSERT_EQ(view().selectionModel()->selectedRows().size(), 1);
  EXPECT_EQ(view().selectionModel()->selectedRows().first().data().toString(), u"10.0.0.10");
  // The model selects: the view follows.
  const RowId first = list().rowAt(1);
  list().select(first);
  ASSERT_EQ(view().selectionModel()->selectedRows().size(), 1);
  EXPECT_EQ(view().selectionModel()->selectedRows().first().row(), 0);
  // The selected row goes: nothing is selected anywhere.
  list().remove(first);
  EXPECT_TRUE(view().selectionModel()->selectedRows().isEmpty());
  EXPECT_FALSE(list().selected());
  list().select(ten);
  list().deselect();
  EXPECT_TRUE(view().selectionModel()->selectedRows().isEmpty());
}

TEST_F(WindowTest, ScrollRequestsBringTheRowIntoView) {
  window->show();
  RowId last{};
  for (int i = 1; i <= 200; ++i) last = list().append(QStringLiteral("10.0.0.%1").arg(i));
  ASSERT_EQ(view().verticalScrollBar()->value(), 0);
  list().ensureVisible(last);
  const QRect shown = view().visualRect(view().model()->index(199, 0));
  EXPECT_TRUE(view().viewport()->rect().contains(shown)) << shown.y();
}

TEST_F(WindowTest, DoubleClickOpensTheSelectedRowsPage) {
  window->show();
  const struct {
    const char* port;
    const char* url;
  } cases[] = {{"8080", "http://10.0.0.7:8080"},
               {"80", "http://10.0.0.7"},
               {"N/A", "http://10.0.0.7"},
               {"", "http://10.0.0.7"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.port);
    list().clear();
    opened.clear();
    addRow("10.0.0.7", c.port);
    mouse(QEvent::MouseButtonPress, Qt::LeftButton, Qt::LeftButton, rowPoint(1));
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, rowPoint(1));
    mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, rowPoint(1));
    mouse(QEvent::MouseButtonRelease, Qt::LeftButton, Qt::NoButton, rowPoint(1));
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0].toString(), QLatin1String(c.url));
  }
}

TEST_F(WindowTest, DoubleClickOpensNothingOnAnEmptyListUnselectedOrWhileNotIdle) {
  window->show();
  mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, belowRows());
  EXPECT_TRUE(opened.isEmpty());
  addRow("10.0.0.7", "8080");
  mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, belowRows());
  EXPECT_TRUE(opened.isEmpty());
  list().select(list().rowAt(1));
  window->setIdle(false);
  mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, rowPoint(1));
  EXPECT_TRUE(opened.isEmpty());
  // A failing desktop is no failure of the window.
  window->setIdle(true);
  openSucceeds = false;
  mouse(QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, rowPoint(1));
  EXPECT_EQ(opened.size(), 1);
}

TEST_F(WindowTest, PopupMenuHasItsTwoItems) {
  const QList<QAction*> items = window->popupMenu().actions();
  ASSERT_EQ(items.size(), 2);
  EXPECT_EQ(items[0]->objectName(), u"mnuIPRefresh");
  EXPECT_EQ(items[0]->text(), u"Refresh (w/ NV ID && Gen ID)");
  EXPECT_EQ(items[0]->iconText(), u"Refresh (w/ NV ID & Gen ID)");
  EXPECT_EQ(items[1]->objectName(), u"mnuIPLoadBrowser");
  EXPECT_EQ(items[1]->text(), u"Load in Browser");
  EXPECT_EQ(window->popupMenu().objectName(), u"mnuIPOptions");
}

TEST_F(WindowTest, RightClickOnARowSelectsItAndShowsTheMenu) {
  window->show();
  const RowId a = addRow("10.0.0.1");
  const RowId b = addRow("10.0.0.2", "8080");
  list().select(a);
  mouse(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, rowPoint(2));
  ASSERT_TRUE(window->popupMenu().isVisible());
  EXPECT_EQ(*list().selected(), b);
  EXPECT_EQ(view().selectionModel()->selectedRows().first().row(), 1);
  // "Load in Browser" opens the row picked by the right click.
  window->popupMenu().actions()[1]->trigger();
  ASSERT_EQ(opened.size(), 1);
  EXPECT_EQ(opened[0].toString(), u"http://10.0.0.2:8080");
  window->popupMenu().hide();
}

TEST_F(WindowTest, RightClicksThatShowNoMenuLeaveTheSelection) {
  window->show();
  const RowId a = addRow("10.0.0.1");
  addRow("10.0.0.2");
  const struct {
    const char* what;
    Qt::MouseButton button;
    Qt::MouseButtons held;
    bool onRow;
    bool idle;
  } cases[] = {
      {"empty area", Qt::RightButton, Qt::RightButton, false, true},
      {"left held too (3)", Qt::RightButton, Qt::LeftButton | Qt::RightButton, true, true},
      {"middle", Qt::MiddleButton, Qt::MiddleButton, true, true},
      {"right and middle (6)", Qt::RightButton, Qt::RightButton | Qt::MiddleButton, true, true},
      {"not idle", Qt::RightButton, Qt::RightButton, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    list().select(a);
    window->setIdle(c.idle);
    const QPoint at = c.onRow ? rowPoint(2) : belowRows();
    mouse(QEvent::MouseButtonPress, c.button, c.held, at);
    EXPECT_FALSE(window->popupMenu().isVisible());
    ASSERT_TRUE(list().selected());
    EXPECT_EQ(*list().selected(), a);
    mouse(QEvent::MouseButtonRelease, c.button, Qt::NoButton, at);
  }
}

TEST_F(WindowTest, EmptyListRightClickIsSafe) {
  window->show();
  mouse(QEvent::MouseButtonPress, Qt::RightButton, Qt::RightButton, QPoint(10, 10));
  mouse(QEvent::MouseButtonRelease, Qt::RightButton, Qt::NoButton, QPoint(10, 10));
  EXPECT_FALSE(window->popupMenu().isVisible());
  EXPECT_FALSE(list().selected());
}

TEST_F(WindowTest, ButtonValueCountsEveryButtonHeld) {
  const struct {
    Qt::MouseButtons buttons;
    int value;
  } cases[] = {{Qt::NoButton, 0},
               {Qt::LeftButton, 1},
               {Qt::RightButton, 2},
               {Qt::LeftButton | Qt::RightButton, 3},
               {Qt::MiddleButton, 4},
               {Qt::LeftButton | Qt::MiddleButton, 5},
               {Qt::LeftButton | Qt::RightButton | Qt::MiddleButton, 7},
               {Qt::RightButton | Qt::BackButton, 2}};
  for (const auto& c : cases) EXPECT_EQ(ui::ButtonValue(c.buttons), c.value) << c.value;
}

}  // namespace
}  // namespace velmaro::test

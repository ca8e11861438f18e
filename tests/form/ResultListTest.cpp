// The row model: lookups, stable handles, column keys, sorted insertion and selection.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "form/ResultList.h"
#include "support/VbError.h"

using namespace Qt::StringLiterals;

namespace velmaro {
namespace {

int errorNumber(const std::function<void()>& body) {
  try {
    body();
  } catch (const VbError& e) {
    return e.number;
  }
  return 0;
}

QStringList texts(const ResultList& list) {
  QStringList out;
  for (int i = 1; i <= list.count(); ++i) out << list.text(list.rowAt(i));
  return out;
}

TEST(ResultListTest, ColumnKeysGiveTheirCellIndexAndAnUnknownKeyFails) {
  const struct {
    const char* key;
    int index;  // -1: error 35601
  } cases[] = {{"ip", 0},   {"httpport", 1}, {"ping", 2}, {"mac", 3},    {"mfg", 4},
               {"name", 5}, {"IP", -1},      {"", -1},    {"title", -1}, {"name ", -1}};
  ResultList list;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.key);
    const QString key = QString::fromLatin1(c.key);
    if (c.index >= 0) {
      EXPECT_EQ(list.GetColumnIndex(key), c.index);
    } else {
      EXPECT_EQ(errorNumber([&] { list.GetColumnIndex(key); }), 35601);
    }
  }
}

TEST(ResultListTest, AppendedRowHasNoIconAndEmptyCells) {
  ResultList list;
  const RowId row = list.append(QStringLiteral("10.0.0.7"));
  EXPECT_EQ(list.count(), 1);
  EXPECT_EQ(list.text(row), u"10.0.0.7");
  EXPECT_EQ(list.icon(row), RowIcon::None);
  EXPECT_TRUE(list.tag(row).isEmpty());
  for (int i = 1; i < ResultList::kColumnCount; ++i) EXPECT_TRUE(list.cell(row, i).isEmpty()) << i;
  list.setCell(row, list.GetColumnIndex(u"ping"), QStringLiteral("12 ms"));
  list.setTag(row, QStringLiteral("10.0.0.7"));
  list.setIcon(row, RowIcon::Add);
  EXPECT_EQ(list.cell(row, 2), u"12 ms");
  EXPECT_EQ(list.tag(row), u"10.0.0.7");
  EXPECT_EQ(list.icon(row), RowIcon::Add);
  EXPECT_EQ(list.data(list.index(0, 0), ResultList::IconKeyRole).toString(), u"add");
}

TEST(ResultListTest, LookupByTextFindsTheUpperOfTwoDuplicatesAndComparesExactly) {
  ResultList list;
  list.append(QStringLiteral("10.0.0.1"));
  const RowId upper = list.append(QStringLiteral("10.0.0.5"));
  const RowId lower = list.append(QStringLiteral("10.0.0.5"));
  list.setCell(lower, 1, QStringLiteral("8080"));
  ASSERT_TRUE(list.findByText(u"10.0.0.5"));
  EXPECT_EQ(*list.findByText(u"10.0.0.5"), upper);
  EXPECT_FALSE(list.findByText(u"10.0.0.5 "));
  EXPECT_FALSE(list.findByText(u"10.0.0."));
  list.remove(upper);
  EXPECT_EQ(*list.findByText(u"10.0.0.5"), lower);
}

TEST(ResultListTest, HandleOfARemovedRowFailsWithObjectNotSet) {
  ResultList list;
  const RowId a = list.append(QStringLiteral("10.0.0.1"));
  const RowId b = list.append(QStringLiteral("10.0.0.2"));
  list.remove(a);
  EXPECT_FALSE(list.exists(a));
  EXPECT_EQ(list.positionOf(a), 0);
  EXPECT_EQ(errorNumber([&] { list.text(a); }), 91);
  EXPECT_EQ(errorNumber([&] { list.setCell(a, 2, QStringLiteral("1 ms")); }), 91);
  EXPECT_EQ(errorNumber([&] { list.remove(a); }), 91);
  EXPECT_EQ(errorNumber([&] { list.select(a); }), 91);
  // The other row keeps working through its own handle.
  EXPECT_EQ(list.text(b), u"10.0.0.2");
  EXPECT_EQ(list.positionOf(b), 1);
  list.clear();
  EXPECT_EQ(errorNumber([&] { list.text(b); }), 91);
}

TEST(ResultListTest, RowPositionsOutsideTheListFailWithIndexOutOfBounds) {
  ResultList list;
  EXPECT_EQ(errorNumber([&] { list.rowAt(1); }), 35600);
  list.append(QStringLiteral("a"));
  list.append(QStringLiteral("b"));
  for (int position : {0, -1, 3}) {
    EXPECT_EQ(errorNumber([&] { list.rowAt(position); }), 35600) << position;
  }
  EXPECT_EQ(list.text(list.rowAt(2)), u"b");
}

TEST(ResultListTest, SortingComparesTextAndKeepsHandles) {
  ResultList list;
  const RowId two = list.append(QStringLiteral("10.0.0.2"));
  const RowId ten = list.append(QStringLiteral("10.0.0.10"));
  const RowId one = list.append(QStringLiteral("10.0.0.1"));
  list.setSortAscending(false);
  list.setSortedMode(true);
  EXPECT_EQ(texts(list), (QStringList{u"10.0.0.2"_s, u"10.0.0.10"_s, u"10.0.0.1"_s}));
  list.setSortAscending(true);
  EXPECT_EQ(texts(list), (QStringList{u"10.0.0.1"_s, u"10.0.0.10"_s, u"10.0.0.2"_s}));
  EXPECT_EQ(list.positionOf(one), 1);
  EXPECT_EQ(list.positionOf(ten), 2);
  EXPECT_EQ(list.positionOf(two), 3);
}

TEST(ResultListTest, RowAppendedInSortedModeGoesToItsPlace) {
  ResultList list;
  list.setSortedMode(true);
  for (const char* t : {"10.0.0.5", "10.0.0.1", "10.0.0.3", "10.0.0.10"}) {
    list.append(QString::fromLatin1(t));
  }
  EXPECT_EQ(texts(list),
            (QStringList{u"10.0.0.1"_s, u"10.0.0.10"_s, u"10.0.0.3"_s, u"10.0.0.5"_s}));
  // Before sorted mode the rows stay in arrival order.
  ResultList unsorted;
  unsorted.append(QStringLiteral("b"));
  unsorted.append(QStringLiteral("a"));
  EXPECT_EQ(texts(unsorted), (QStringList{u"b"_s, u"a"_s}));
}

TEST(ResultListTest, RemovingTheSelectedRowLeavesNoSelection) {
  ResultList list;
  const RowId a = list.append(QStringLiteral("10.0.0.1"));
  const RowId b = list.append(QStringLiteral("10.0.0.2"));
  QSignalSpy changed(&list, &ResultList::selectionChanged);
  list.select(b);
  EXPECT_EQ(changed.count(), 1);
  list.remove(a);  // another row: the selection stays
  ASSERT_TRUE(list.selected());
  EXPECT_EQ(*list.selected(), b);
  list.remove(b);
  EXPECT_FALSE(list.selected());
  EXPECT_EQ(changed.count(), 2);
}

TEST(ResultListTest, ClearingTheListDropsTheSelection) {
  ResultList list;
  list.select(list.append(QStringLiteral("10.0.0.1")));
  list.clear();
  EXPECT_EQ(list.count(), 0);
  EXPECT_FALSE(list.selected());
}

}  // namespace
}  // namespace velmaro

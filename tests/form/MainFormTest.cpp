// The window's procedures without widgets: the port rules, the browser address, header
// clicks, double-click and right-click, and the load step's title.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "form/MainForm.h"
#include "support/AppPaths.h"
#include "support/FakeClock.h"
#include "support/FakeControls.h"
#include "support/FakeNotice.h"
#include "support/FakePlatform.h"
#include "support/RecordingReporter.h"

using namespace Qt::StringLiterals;

namespace velmaro {
namespace {

TEST(PortRulesTest, BoxTextAfterLeavingThePortBox) {
  const struct {
    const char* typed;
    const char* kept;
  } cases[] = {
      {"abc", "80"},      {"", "80"},
      {"80a", "80"},      {"&H50", "80"},
      {"99999", "65535"}, {"65536", "65535"},
      {"1E9", "65535"},   {"65535", "65535"},
      {"0", "1"},         {"00", "1"},
      {"0.0", "1"},       {"-8", "1"},
      {"0.4", "1"},       {"0.5", "1"},
      {"-0.4", "1"},      {"8080", "8080"},
      {" 81 ", " 81 "},   {"1", "1"},
      {"1.5", "1.5"},     {"1e3", "1e3"},
      {"1.5e5", "65535"}, {"6.5535e4", "6.5535e4"},
      {"0.6", "0.6"},     {"65535.4", "65535"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ValidatedPortText(QString::fromLatin1(c.typed)), QString::fromLatin1(c.kept))
        << "typed \"" << c.typed << "\"";
  }
}

TEST(BrowserAddressTest, PortPartUnlessTheCellReadsAs0Or80AndNothingWhenItIsNoPort) {
  const struct {
    const char* cell;
    const char* address;  // "": nothing is opened
  } cases[] = {
      {"8080", "http://10.0.0.7:8080"},
      {"80", "http://10.0.0.7"},
      {"N/A", "http://10.0.0.7"},
      {"---", "http://10.0.0.7"},
      {"", "http://10.0.0.7"},
      {"0", "http://10.0.0.7"},
      {"00000", "http://10.0.0.7"},
      {"0.4", "http://10.0.0.7"},
      {"80.5", "http://10.0.0.7"},  // rounds to 80
      {" 80 ", "http://10.0.0.7"},
      {"&H50", "http://10.0.0.7"},
      {"65535", "http://10.0.0.7:65535"},
      {"1", "http://10.0.0.7:1"},
      {"08080", "http://10.0.0.7:08080"},  // the cell as it is
      {"65536", ""},
      {"99999", ""},
      {"1F90", ""},
      {" 8080 ", ""},
      {"-8", ""},
      {"1e3", ""},
      {"8080/x", ""},
      {"8080@198.51.100.9", ""},
      {"8080#", ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(BrowserAddress(QStringLiteral("10.0.0.7"), QString::fromLatin1(c.cell)),
              QString::fromLatin1(c.address))
        << "port cell \"" << c.cell << "\"";
  }
}

class MainFormTest : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  test::FakeControls controls;
  test::FakeNotice notice;
  test::RecordingReporter log;
  test::FakeClock clock;
  test::FakePlatform platform;
  AppPaths paths{dir.path(), dir.path(), dir.path()};
  MainForm form{controls, notice, log, paths, clock, platform};

  ResultList& list() { return form.lstIPs(); }
  QStringList column(int index) {
    QStringList out;
    for (int i = 1; i <= list().count(); ++i) out << list().cell(list().rowAt(i), index);
    return out;
  }
};

TEST_F(MainFormTest, LoadSetsTheTitleWithTheVersion) {
  form.Form_Load();
  EXPECT_EQ(controls.title, u"Velmaro v1.1.8");
  EXPECT_TRUE(log.reports.isEmpty()) << log.reports.join(u'\n').toStdString();
}

TEST_F(MainFormTest, PortBoxIsCorrectedInPlace) {
  controls.setText(TextBox::HTTPPort, QStringLiteral("99999"));
  form.txtHTTPPort_Validate();
  EXPECT_EQ(controls.text(TextBox::HTTPPort), u"65535");
  EXPECT_EQ(controls.text(TextBox::PingTO), u"500");  // no other box is touched
}

TEST_F(MainFormTest, HeaderClicksToggleTheOrder) {
  for (const char* t : {"10.0.0.2", "10.0.0.10", "10.0.0.1"}) list().append(QString::fromLatin1(t));
  form.lstIPs_ColumnClick(1);  // the address column is already the sort column: descending
  EXPECT_EQ(column(0), (QStringList{u"10.0.0.2"_s, u"10.0.0.10"_s, u"10.0.0.1"_s}));
  form.lstIPs_ColumnClick(1);
  EXPECT_EQ(column(0), (QStringList{u"10.0.0.1"_s, u"10.0.0.10"_s, u"10.0.0.2"_s}));
  EXPECT_TRUE(list().sortedMode());
  EXPECT_TRUE(log.reports.isEmpty());
}

TEST_F(MainFormTest, FirstClickOnAnotherHeaderSortsItAscendingAsText) {
  const struct {
    const char* ip;
    const char* ping;
  } rows[] = {{"10.0.0.1", "20 ms"}, {"10.0.0.2", "100 ms"}, {"10.0.0.3", "3 ms"}};
  for (const auto& r : rows) {
    list().setCell(list().append(QString::fromLatin1(r.ip)), 2, QString::fromLatin1(r.ping));
  }
  form.lstIPs_ColumnClick(3);
  EXPECT_EQ(column(2), (QStringList{u"100 ms"_s, u"20 ms"_s, u"3 ms"_s}));
  EXPECT_EQ(list().sortColumn(), 2);
  EXPECT_TRUE(list().sortAscending());
}

TEST_F(MainFormTest, HeaderClickWhileNotIdleChangesNothing) {
  list().append(QStringLiteral("10.0.0.2"));
  list().append(QStringLiteral("10.0.0.1"));
  controls.setIdle(false);
  form.lstIPs_ColumnClick(1);
  form.lstIPs_ColumnClick(4);
  EXPECT_EQ(column(0), (QStringList{u"10.0.0.2"_s, u"10.0.0.1"_s}));
  EXPECT_FALSE(list().sortedMode());
  EXPECT_EQ(list().sortColumn(), 0);
  EXPECT_TRUE(list().sortAscending());
}

TEST_F(MainFormTest, HeaderClickOnAnEmptyListOnlyChangesTheState) {
  form.lstIPs_ColumnClick(6);
  EXPECT_EQ(list().sortColumn(), 5);
  EXPECT_TRUE(log.reports.isEmpty());
}

TEST_F(MainFormTest, DoubleClickOpensTheSelectedRowOnlyWhenIdle) {
  form.lstIPs_DblClick();  // empty list, nothing selected
  EXPECT_TRUE(controls.openedUrls.isEmpty());
  const RowId row = list().append(QStringLiteral("10.0.0.7"));
  list().setCell(row, 1, QStringLiteral("8080"));
  form.lstIPs_DblClick();  // a row, but none selected
  EXPECT_TRUE(controls.openedUrls.isEmpty());
  list().select(row);
  controls.setIdle(false);
  form.lstIPs_DblClick();
  EXPECT_TRUE(controls.openedUrls.isEmpty());
  controls.setIdle(true);
  form.mnuIPLoadBrowser_Click();
  EXPECT_EQ(controls.openedUrls, QStringList{u"http://10.0.0.7:8080"_s});
}

TEST_F(MainFormTest, DoubleClickReportsNothingAndOpensNoAddressACellWouldSteer) {
  const RowId row = list().append(QStringLiteral("10.0.0.7"));
  list().select(row);
  controls.browserOpens = false;
  form.lstIPs_DblClick();
  EXPECT_EQ(controls.openedUrls, QStringList{u"http://10.0.0.7"_s});
  list().setCell(row, list().GetColumnIndex(u"httpport"), QStringLiteral("8080@198.51.100.9"));
  form.mnuIPLoadBrowser_Click();
  EXPECT_EQ(controls.openedUrls.size(), 1);
  EXPECT_TRUE(log.reports.isEmpty()) << log.reports.join(u'\n').toStdString();
}

TEST_F(MainFormTest, LoadInstallsTheSizeLimitsAsItsLine110AndCloseRemovesThem) {
  const struct {
    bool fails;
    QStringList reports;
  } cases[] = {
      {false, {}},
      {true, {u"Error 7 (Out of memory) in procedure Form_Load of Form frmMain on line 110"_s}},
  };
  for (const auto& c : cases) {
    log.reports.clear();
    controls.sizeLimitCalls.clear();
    controls.sizeLimitsFail = c.fails;
    form.Form_Load();
    EXPECT_EQ(controls.title, u"Velmaro v1.1.8");
    EXPECT_EQ(log.reports, c.reports);
    form.Form_QueryUnload();
    EXPECT_EQ(controls.sizeLimitCalls, (std::vector<bool>{true, false}));
  }
}

TEST_F(MainFormTest, RightButtonAloneOnARowSelectsItAndAsksForTheMenu) {
  const RowId a = list().append(QStringLiteral("10.0.0.1"));
  const RowId b = list().append(QStringLiteral("10.0.0.2"));
  list().select(a);
  const struct {
    int button;
    bool idle;
    bool onRow;
    bool menu;
  } cases[] = {
      {2, true, true, true},   {3, true, true, false}, {1, true, true, false},
      {4, true, true, false},  {6, true, true, false}, {2, false, true, false},
      {2, true, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message()
                 << "button " << c.button << " idle " << c.idle << " row " << c.onRow);
    list().select(a);
    controls.setIdle(c.idle);
    const auto hit = c.onRow ? std::optional<RowId>(b) : std::nullopt;
    EXPECT_EQ(form.lstIPs_MouseDown(c.button, hit), c.menu);
    EXPECT_EQ(*list().selected(), c.menu ? b : a);
  }
}

TEST_F(MainFormTest, RightClickOnARowThatHasGoneShowsNoMenu) {
  const RowId a = list().append(QStringLiteral("10.0.0.1"));
  list().remove(a);
  EXPECT_FALSE(form.lstIPs_MouseDown(2, a));
  EXPECT_FALSE(list().selected());
}

}  // namespace
}  // namespace velmaro

// A row's name from the host's pages, against the lab's simulated unit on loopback: each
// page rule, the captions, the selection, a row that vanishes, the sweep's name stage and
// the popup's refresh.
#include <gtest/gtest.h>

#include <QDir>
#include <QRandomGenerator>
#include <QTimer>

#include "form/FormContext.h"
#include "form/MainForm.h"
#include "form/ResultList.h"
#include "form/RowName.h"
#include "form/SweepEnrichment.h"
#include "identify/ArpTable.h"
#include "identify/HttpFetch.h"
#include "identify/Manufacturer.h"
#include "support/AppPaths.h"
#include "support/Clock.h"
#include "support/FakeClock.h"
#include "support/FakeControls.h"
#include "support/FakeNotice.h"
#include "support/FakePlatform.h"
#include "support/LoopbackUnit.h"
#include "support/RecordingReporter.h"
#include "support/StepTrap.h"

namespace velmaro {
namespace {

using lab::PageSet;

const QString kOldMac = QStringLiteral("00-11-22-33-44-55");

// The window's procedures over fake controls, with rows that point at loopback.
struct NameRig {
  explicit NameRig(quint16 port = 0) { controls.texts[TextBox::HTTPPort] = QString::number(port); }
  RowId addRow(const char* name = "???", const char* ping = "1 ms") {
    const RowId row = list.append(QStringLiteral("127.0.0.1"));
    list.setTag(row, QStringLiteral("127.0.0.1"));
    list.setCell(row, list.GetColumnIndex(u"httpport"), QStringLiteral("80"));  // never used
    list.setCell(row, list.GetColumnIndex(u"ping"), QString::fromLatin1(ping));
    list.setCell(row, list.GetColumnIndex(u"mac"), kOldMac);
    list.setCell(row, list.GetColumnIndex(u"name"), QString::fromLatin1(name));
    return row;
  }
  QString cell(RowId row, QStringView key) const {
    return list.cell(row, list.GetColumnIndex(key));
  }
  // "N" for each product-ID caption, "G" for each generic one.
  QString captions() const {
    QString out;
    for (const QString& text : controls.statusHistory) {
      if (text == u"Testing for NV ID on 127.0.0.1 Please wait")
        out += u'N';
      else if (text == u"Testing for generic ID on 127.0.0.1 Please wait")
        out += u'G';
      else
        out += u'?';
    }
    return out;
  }

  test::FakeControls controls;
  test::FakeNotice notice;
  ResultList list;
  test::RecordingReporter log;
  AppPaths paths{QDir::tempPath(), QDir::tempPath(), QDir::tempPath()};
  test::FakePlatform platform;
  ArpTable arp{log, platform, Clock::system()};
  OuiFile oui{log, paths};
  QString localIP;
  FormContext form{controls,        notice,   list, log, paths,
                   Clock::system(), platform, arp,  oui, localIP};
  QRandomGenerator random;
  HttpFetch http{log, Clock::system(), platform, random};
};

// A unit that never answers, and a page time-out of 200 ms.
struct SilentUnitRig {
  SilentUnitRig() { rig.controls.texts[TextBox::PingTO] = QStringLiteral("400"); }
  test::LoopbackUnit unit{test::SilentPages()};
  NameRig rig{unit.port()};
};

struct NameCase {
  const char* what;
  PageSet pages;
  bool productId;
  bool generic;
  const char* name;
  const char* mac;       // nullptr: the cell keeps what it held
  const char* requests;  // the pages the unit was asked for
  const char* captions;
};

void PrintTo(const NameCase& c, std::ostream* os) { *os << c.what; }

class PageRules : public ::testing::TestWithParam<NameCase> {};

TEST_P(PageRules, NameAndMacFromThePages) {
  const NameCase& c = GetParam();
  test::LoopbackUnit unit(c.pages);
  ASSERT_TRUE(unit.ok());
  NameRig rig(unit.port());
  const RowId row = rig.addRow();
  rig.list.addEvidence(row, Evidence::Neighbours);  // its MAC as the neighbour table gave it
  PopulateItemName(rig.form, rig.http, row, c.productId, c.generic);
  EXPECT_EQ(rig.cell(row, u"name"), QString::fromLatin1(c.name));
  // A MAC a page wrote no longer comes from the neighbour table.
  EXPECT_EQ(rig.list.evidence(row).has(Evidence::Neighbours), c.mac == nullptr);
  EXPECT_EQ(rig.cell(row, u"mac"), c.mac ? QString::fromLatin1(c.mac) : kOldMac);
  // A page answered for the row exactly when one gave its name (an empty one too).
  EXPECT_EQ(rig.list.evidence(row).has(Evidence::Page), rig.cell(row, u"name") != u"---");
  EXPECT_EQ(unit.requests().join(u' '), QString::fromLatin1(c.requests));
  EXPECT_EQ(rig.captions(), QString::fromLatin1(c.captions));
  EXPECT_FALSE(rig.list.selected().has_value());
  EXPECT_TRUE(rig.log.reports.isEmpty()) << rig.log.reports.join(u'\n').toStdString();
}

const QString kHome = QStringLiteral("index.htm");
const QString kHomeL = QStringLiteral("index.html");
const QString kCam = QStringLiteral("NV-CAM-1000 Front door");
const QString kCamMac = QStringLiteral("00-0A-2B-01-80-01");

INSTANTIATE_TEST_SUITE_P(
    Loopback, PageRules,
    ::testing::Values(NameCase{"both flags clear",
                               {.idPage = lab::IdPageStyle::WithMeta, .productName = kCam},
                               false,
                               false,
                               "---",
                               nullptr,
                               "",
                               ""},
                      NameCase{"meta name and mac",
                               {.idPage = lab::IdPageStyle::WithMeta,
                                .productName = kCam,
                                .macText = kCamMac,
                                .homeTitle = QStringLiteral("Home"),
                                .homePages = {kHome}},
                               true,
                               true,
                               "NV-CAM-1000 Front door",
                               "00-0A-2B-01-80-01",
                               "id.htm",
                               "N"},
                      NameCase{"meta name without mac",
                               {.idPage = lab::IdPageStyle::NameOnly, .productName = kCam},
                               true,
                               false,
                               "NV-CAM-1000 Front door",
                               "",
                               "id.htm",
                               "N"},
                      NameCase{"body without meta",
                               {.idPage = lab::IdPageStyle::BodyOnly, .productName = kCam},
                               true,
                               false,
                               "NV-CAM-1000 Front door",
                               nullptr,
                               "id.htm",
                               "N"},
                      NameCase{
                          "body tag with attributes",
                          {.idPage = lab::IdPageStyle::BodyWithAttributes, .productName = kCam},
                          true,
                          true,
                          "",
                          nullptr,
                          "id.htm",
                          "N"},
                      NameCase{"near-miss title",
                               {.idPage = lab::IdPageStyle::WithMeta,
                                .productName = kCam,
                                .homeTitle = QStringLiteral("Home"),
                                .homePages = {kHome},
                                .idTitle = QStringLiteral("Norvikta product ID")},
                               true,
                               false,
                               "---",
                               nullptr,
                               "id.htm",
                               "N"},
                      NameCase{"near-miss title, then the home page",
                               {.idPage = lab::IdPageStyle::WithMeta,
                                .productName = kCam,
                                .homeTitle = QStringLiteral("Home"),
                                .homePages = {kHome},
                                .idTitle = QStringLiteral("Norvikta product ID")},
                               true,
                               true,
                               "Home",
                               nullptr,
                               "id.htm index.htm",
                               "NG"},
                      NameCase{"index.htm error page, then index.html",
                               {.homeTitle = QStringLiteral("Home"), .homePages = {kHomeL}},
                               true,
                               true,
                               "Home",
                               nullptr,
                               "id.htm index.htm index.html",
                               "NGG"},
                      NameCase{"titled 404 page, then index.html",
                               {.homeTitle = QStringLiteral("Home"),
                                .homePages = {kHomeL},
                                .missing = lab::MissingPage::Titled},
                               false,
                               true,
                               "Home",
                               nullptr,
                               "index.htm index.html",
                               "GG"},
                      NameCase{"titled 404 pages name nothing",
                               {.missing = lab::MissingPage::Titled},
                               false,
                               true,
                               "---",
                               nullptr,
                               "index.htm index.html",
                               "GG"},
                      NameCase{"empty index.htm, then index.html",
                               {.homeTitle = QStringLiteral("Home"),
                                .homePages = {kHomeL},
                                .missing = lab::MissingPage::Empty},
                               true,
                               true,
                               "Home",
                               nullptr,
                               "id.htm index.htm index.html",
                               "NGG"},
                      NameCase{"generic alone",
                               {.homeTitle = QStringLiteral("Lab Web Host"), .homePages = {kHome}},
                               false,
                               true,
                               "Lab Web Host",
                               nullptr,
                               "index.htm",
                               "G"},
                      NameCase{"redirect is the page",
                               {.behaviour = lab::WebBehaviour::Redirect,
                                .redirectTo = QStringLiteral("http://127.0.0.1:1/")},
                               true,
                               true,
                               "Moved",
                               nullptr,
                               "id.htm index.htm",
                               "NG"}),
    [](const auto& test) {
      std::string name = test.param.what;
      for (char& ch : name)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

TEST(PageRequestSettings, PortBoxAndHalfTheTimeOutBox) {
  const struct {
    const char* port;
    const char* timeout;
    int expectedPort;
    int expectedTimeout;  // -1: overflow
  } cases[] = {
      {"80", "500", 80, 250}, {"8080", "501", 8080, 250}, {"8080", "503", 8080, 252},
      {"2.5", "1", 2, 0},     {"3.5", "0", 4, 0},         {"65535", "100", 65535, 50},
      {"-1", "500", -1, -1},  {"65536", "500", -1, -1},   {"80", "1e999", -1, -1},
  };
  for (const auto& c : cases) {
    test::FakeControls controls;
    controls.texts[TextBox::HTTPPort] = QString::fromLatin1(c.port);
    controls.texts[TextBox::PingTO] = QString::fromLatin1(c.timeout);
    if (c.expectedTimeout < 0) {
      EXPECT_THROW(ReadPageRequestSettings(controls), VbError) << c.port << " " << c.timeout;
      continue;
    }
    const PageRequestSettings settings = ReadPageRequestSettings(controls);
    EXPECT_EQ(settings.port, c.expectedPort) << c.port;
    EXPECT_EQ(settings.timeoutMs, c.expectedTimeout) << c.timeout;
  }
}

TEST(PopulateItemName, RowIsSelectedAndTestingWhileItsPagesAreRead) {
  SilentUnitRig silent;
  ASSERT_TRUE(silent.unit.ok());
  NameRig& rig = silent.rig;
  const RowId other = rig.addRow("Other");
  const RowId row = rig.addRow();
  rig.list.select(other);
  int scrolledTo = -1;
  QObject::connect(&rig.list, &ResultList::scrollToRequested, [&](int at) { scrolledTo = at; });
  std::optional<RowId> selectedDuring;
  QString nameDuring;
  QTimer::singleShot(100, [&] {
    selectedDuring = rig.list.selected();
    nameDuring = rig.cell(row, u"name");
    rig.list.select(other);  // the user picks another row meanwhile: it stays picked
  });
  PopulateItemName(rig.form, rig.http, row, true, false);
  EXPECT_EQ(selectedDuring, row);
  EXPECT_EQ(nameDuring, u"Testing...");
  EXPECT_EQ(scrolledTo, 1);
  EXPECT_EQ(rig.cell(row, u"name"), u"---");
  EXPECT_EQ(rig.list.selected(), other);
}

TEST(PopulateItemName, RowThatVanishesMidwayIsReportedNeverTouched) {
  SilentUnitRig silent;
  ASSERT_TRUE(silent.unit.ok());
  NameRig& rig = silent.rig;
  const RowId row = rig.addRow();
  QTimer::singleShot(100, [&] { rig.list.clear(); });  // "SCAN" empties the list
  PopulateItemName(rig.form, rig.http, row, true, true);
  ASSERT_FALSE(rig.log.reports.isEmpty());
  for (const QString& report : rig.log.reports) {
    EXPECT_TRUE(report.startsWith(u"Error 91 ") &&
                report.contains(u"procedure PopulateItemName of Form frmMain"))
        << report.toStdString();
  }
  EXPECT_TRUE(rig.log.reports.last().endsWith(u"on line 330"));
  EXPECT_EQ(silent.unit.requests().join(u' '), u"id.htm") << "no request for a row that is gone";
}

TEST(SweepNameStage, ProbesRowsStillUnnamedThatAnswered) {
  test::LoopbackUnit unit(test::MetaPages());
  ASSERT_TRUE(unit.ok());
  NameRig rig(unit.port());
  rig.controls.checks[CheckBox::ParseARP] = 0;  // no settling pause, no neighbour table
  const struct {
    const char* name;
    const char* ping;
    const char* after;
  } rows[] = {
      {"???", "3 ms", "NV-CAM-1000 Front door"},
      {"???", "???", "NV-CAM-1000 Front door"},  // missed this sweep: leading number 0
      {"???", "TimedOut", "???"},
      {"???", "-1", "???"},
      {"LOCALHOST", "0 ms", "LOCALHOST"},
      {"Named", "3 ms", "Named"},
  };
  for (const auto& r : rows) rig.addRow(r.name, r.ping);
  StepTrap trap(rig.log, QStringLiteral("cmdScanPing_Click"), Container::Form);
  RunSweepEnrichment(rig.form, trap, rig.http);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(rig.cell(rig.list.rowAt(i + 1), u"name"), QString::fromLatin1(rows[i].after)) << i;
  }
  EXPECT_EQ(unit.requests().join(u' '), u"id.htm id.htm");
  EXPECT_TRUE(rig.log.reports.isEmpty()) << rig.log.reports.join(u'\n').toStdString();
}

TEST(SweepNameStage, ScanEmptyingTheListMidwayIsReportedAndTheStageEnds) {
  test::LoopbackUnit unit(test::MetaPages());
  ASSERT_TRUE(unit.ok());
  NameRig rig(unit.port());
  rig.controls.checks[CheckBox::ParseARP] = 0;
  for (int i = 0; i < 3; ++i) rig.addRow();
  QTimer::singleShot(20, [&] { rig.list.clear(); });  // during the first row's settling pause
  StepTrap trap(rig.log, QStringLiteral("cmdScanPing_Click"), Container::Form);
  RunSweepEnrichment(rig.form, trap, rig.http);
  // Positions 2 and 3 are gone: each statement that reaches them is reported.
  QStringList lines;
  const QString missing = QStringLiteral(
      "Error 35600 (Index out of bounds) in procedure cmdScanPing_Click of Form frmMain on line ");
  for (const QString& report : rig.log.reports.filter(missing)) lines << report.mid(missing.size());
  EXPECT_EQ(lines.join(u' '), u"660 700 660 700");
  EXPECT_TRUE(rig.log.reports.last().endsWith(u"line 700"));
  EXPECT_EQ(rig.list.count(), 0);
}

class RefreshCommand : public ::testing::Test {
 protected:
  test::FakeControls controls;
  test::FakeNotice notice;
  test::RecordingReporter log;
  test::FakeClock clock;
  test::FakePlatform platform;
  AppPaths paths{QDir::tempPath(), QDir::tempPath(), QDir::tempPath()};
  MainForm form{controls, notice, log, paths, clock, platform};
  ResultList& list = form.lstIPs();

  // A row as "SCAN" makes it: name, MAC and maker from the unit's reply, port from line 4.
  RowId scanRow() {
    const RowId row = list.append(QStringLiteral("127.0.0.1"));
    list.setTag(row, QStringLiteral("127.0.0.1"));
    list.setCell(row, 1, QStringLiteral("80"));
    list.setCell(row, 2, QStringLiteral("---"));
    list.setCell(row, 3, kCamMac);
    list.setCell(row, 4, QStringLiteral("Norvikta, Inc"));
    list.setCell(row, 5, QStringLiteral("NV-CAM-1000 Front door"));
    return row;
  }
};

TEST_F(RefreshCommand, WithoutASelectedRowDoesNothing) {
  const RowId row = scanRow();
  form.mnuIPRefresh_Click();
  EXPECT_EQ(list.cell(row, 3), kCamMac);
  EXPECT_TRUE(controls.statusHistory.isEmpty());
  EXPECT_TRUE(log.reports.isEmpty());
}

TEST_F(RefreshCommand, ReadsTheMacFirstThenTheNameWhateverTheBoxes) {
  test::LoopbackUnit unit(test::MetaPages(QStringLiteral("NV-CAM-1000 Renamed")));
  ASSERT_TRUE(unit.ok());
  controls.texts[TextBox::HTTPPort] = unit.portText();
  controls.checks[CheckBox::ParseNVIDs] = 0;  // the command reads the pages whatever the boxes say
  const RowId row = scanRow();
  list.select(row);
  form.mnuIPRefresh_Click();
  // Nothing in the (never loaded) neighbour table: both cells went to "---" before the
  // product-ID page gave the MAC back.
  EXPECT_EQ(list.cell(row, 3), kCamMac);
  EXPECT_EQ(list.cell(row, 4), u"---");
  EXPECT_EQ(list.cell(row, 5), u"NV-CAM-1000 Renamed");
  EXPECT_EQ(unit.requests().join(u' '), u"id.htm");
  EXPECT_FALSE(list.selected().has_value());
  EXPECT_TRUE(log.reports.isEmpty()) << log.reports.join(u'\n').toStdString();
}

}  // namespace
}  // namespace velmaro

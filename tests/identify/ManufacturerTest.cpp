// The manufacturer of a MAC text: the maker's own block, the vendor-prefix file's lines and
// its look-up, with the error reports a broken file leaves.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstring>
#include <optional>
#include <ostream>
#include <string>

#include "identify/Manufacturer.h"
#include "support/AppPaths.h"
#include "support/CaseName.h"
#include "support/RecordingReporter.h"
#include "support/StepTrap.h"
#include "support/Tunables.h"

namespace velmaro {
namespace {

// --- The maker-prefix rule --------------------------------------------------------------

struct MakerCase {
  const char* mac;
  bool hasPrefix;
  const char* maker;  // the rule's answer where the prefix matches
};

const MakerCase kMakerCases[] = {
    {"00-0A-2B-01-80-00", true, "Etherstuff"},     // 0x18000: just below the range
    {"00-0A-2B-01-80-01", true, "Norvikta, Inc"},  // first of the range
    {"00-0A-2B-01-80-05", true, "Norvikta, Inc"},
    {"00-0A-2B-01-FF-FF", true, "Norvikta, Inc"},  // last of the range
    {"00-0A-2B-02-00-00", true, "Etherstuff"},     // just above it
    {"00-0A-2B-00-00-00", true, "Etherstuff"},
    {"00-0A-2B-FF-FF-FF", true, "Etherstuff"},
    {"00-0a-2b-01-80-01", true, "Norvikta, Inc"},  // lower case, both tests
    {"00-0a-2b-01-ff-ff", true, "Norvikta, Inc"},
    {"00-0a-2b-01-80-00", true, "Etherstuff"},
    {"00-0a-2b-02-00-00", true, "Etherstuff"},
    {"00-0A-2B-01-9Z-00", true, "Etherstuff"},    // reading stops at Z: 0x019
    {"00-0A-2B0001FFFF", true, "Norvikta, Inc"},  // no dashes in the last 8: eight digits
    {"00-0A-2B", true, "Etherstuff"},             // the prefix alone: "0A2B" is 0xA2B
    {"00:0A:2B:01:80:05", false, nullptr},        // colons never match
    {"00-0A-2C-01-80-01", false, nullptr},
    {"00-0A-2", false, nullptr},  // 7 characters
    {"", false, nullptr},
    {" 00-0A-2B-01-80-01", false, nullptr},  // the test is on the first 8 characters
};

TEST(MakerPrefix, Table) {
  for (const MakerCase& c : kMakerCases) {
    const QString mac = QString::fromLatin1(c.mac);
    EXPECT_EQ(HasMakerPrefix(mac), c.hasPrefix) << c.mac;
    if (c.maker) {
      EXPECT_EQ(MakerPrefixRule(mac), QString::fromLatin1(c.maker)) << c.mac;
    }
  }
}

// --- One line of the vendor-prefix file -------------------------------------------------

struct OuiLineCase {
  const char* label;
  QByteArray line;
  std::optional<std::pair<const char*, const char*>> entry;  // prefix, name (UTF-8)
};

void PrintTo(const OuiLineCase& c, std::ostream* out) { *out << c.label; }

const OuiLineCase kOuiLines[] = {
    {"registry entry", "00-22-72\tAmerican Micro-Fuel Device Corp.",
     std::pair{"00-22-72", "American Micro-Fuel Device Corp."}},
    {"padded name", "00-22-72\t   Padded Name   ", std::pair{"00-22-72", "Padded Name"}},
    {"blanks around the line", "   00-22-72\tName  ", std::pair{"00-22-72", "Name"}},
    {"lower-case prefix kept as written", "aa-bb-cc\tLower", std::pair{"aa-bb-cc", "Lower"}},
    {"longer prefix with two dashes", "00-22-72-AA\tName", std::pair{"00-22-72-AA", "Name"}},
    {"empty name", "00-22-72\t", std::pair{"00-22-72", ""}},
    {"Latin-1 name",
     "58-B5-68\tSECURITAS DIRECT ESPA\xD1"
     "A, SAU",
     std::pair{"58-B5-68",
               "SECURITAS DIRECT ESPA\xC3\x91"
               "A, SAU"}},
    {"two TABs", "00-22-72\t\tName", std::nullopt},
    {"leading TAB makes three fields", "\t00-22-72\tName", std::nullopt},
    {"colon separators", "00:22:72\tName", std::nullopt},
    {"one dash", "00-2272\tName", std::nullopt},
    {"no dash", "002272\tName", std::nullopt},
    {"no TAB", "00-22-72   Name", std::nullopt},
    {"registry (hex) line", "00-22-72   (hex)\t\tAmerican Micro-Fuel Device Corp.", std::nullopt},
    {"empty", "", std::nullopt},
    {"blanks only", "      ", std::nullopt},
    {"longer than any entry", "00-22-72\t" + QByteArray(tunables::kMaxOuiLine, 'x'), std::nullopt},
};

class OuiLineTable : public ::testing::TestWithParam<OuiLineCase> {};

TEST_P(OuiLineTable, ReadsTheEntryOrNothing) {
  const OuiLineCase& c = GetParam();
  const auto entry = ParseOuiLine(c.line);
  ASSERT_EQ(entry.has_value(), c.entry.has_value());
  if (!c.entry) return;
  EXPECT_EQ(entry->prefix, QString::fromUtf8(c.entry->first));
  EXPECT_EQ(entry->name, QString::fromUtf8(c.entry->second));
}

INSTANTIATE_TEST_SUITE_P(Lines, OuiLineTable, ::testing::ValuesIn(kOuiLines),
                         test::caseName<OuiLineCase>);

// --- The look-up ------------------------------------------------------------------------

const QString kEmptyFileReport = QStringLiteral(
    "Error 62 (Input past end of file) in procedure OUI_GetMFGByMAC of Module modDataProcess "
    "on line 100");

class OuiLookup : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(folder.isValid()); }

  QString appFolder() const { return folder.path() + QStringLiteral("/app"); }

  void writeFile(const QString& dir, const QByteArray& content) {
    QDir().mkpath(dir);
    QFile file(dir + QStringLiteral("/oui.txt"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(content), content.size());
  }
  void writeOui(const QByteArray& content) { writeFile(appFolder(), content); }
  // Makes a file look long installed, so a look-up keeps what it read from it.
  void settle(const QString& dir) {
    QFile file(dir + QStringLiteral("/oui.txt"));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                 QFileDevice::FileModificationTime));
  }

  QString lookUp(const char* mac) { return oui.OUI_GetMFGByMAC(QString::fromLatin1(mac)); }

  QTemporaryDir folder;
  AppPaths paths{folder.path() + QStringLiteral("/app"), folder.path() + QStringLiteral("/user"),
                 folder.path() + QStringLiteral("/share")};
  test::RecordingReporter log;
  OuiFile oui{log, paths};
};

TEST_F(OuiLookup, FindsTheNameWithoutItsBlanks) {
  writeOui("00-1B-21\t   Intel Corporate   \r\n");
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), u"Intel Corporate");
  EXPECT_TRUE(log.reports.isEmpty());
}

TEST_F(OuiLookup, SkipsLinesThatAreNoEntries) {
  writeOui(
      "OUI list\r\n"
      "\r\n"
      "00-1B-21\t\tTwo tabs\r\n"
      "00:1B:21\tColons\r\n"
      "00-1B-21   (hex)\t\tRegistry layout\r\n"
      "00-1B-21\tIntel Corporate\r\n");
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), u"Intel Corporate");
}

TEST_F(OuiLookup, LinesThatAreNoEntriesNeverMatch) {
  writeOui("00-1B-21\t\tTwo tabs\r\n00:1B:21\tColons\r\n");
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), QString());
  EXPECT_EQ(lookUp("00:1B:21:00:00:31"), QString());
  EXPECT_TRUE(log.reports.isEmpty());
}

TEST_F(OuiLookup, FirstMatchWins) {
  writeOui("00-00-0C\tCisco Systems, Inc\r\n00-00-0C\tSecond\r\n00-00-0c\tThird\r\n");
  settle(appFolder());
  EXPECT_EQ(lookUp("00-00-0C-00-00-32"), u"Cisco Systems, Inc");
  EXPECT_EQ(lookUp("00-00-0c-00-00-32"), u"Cisco Systems, Inc");
}

TEST_F(OuiLookup, PrefixComparisonIgnoresCaseBothWays) {
  writeOui("aa-bb-cc\tLower entry\r\nDD-EE-FF\tUpper entry\r\n");
  settle(appFolder());  // answered from what the first look-up read
  EXPECT_EQ(lookUp("AA-BB-CC-01-02-03"), u"Lower entry");
  EXPECT_EQ(lookUp("dd-ee-ff-00-00-00"), u"Upper entry");
  EXPECT_EQ(lookUp("aA-Bb-cC-00-00-00"), u"Lower entry");
}

TEST_F(OuiLookup, LineEndsOfEveryKindAndNoneAtTheEnd) {
  writeOui("11-11-11\tOne\n22-22-22\tTwo\r\n33-33-33\tThree");
  EXPECT_EQ(lookUp("11-11-11-00-00-00"), u"One");
  EXPECT_EQ(lookUp("22-22-22-00-00-00"), u"Two");
  EXPECT_EQ(lookUp("33-33-33-00-00-00"), u"Three");
  EXPECT_EQ(lookUp("44-44-44-00-00-00"), QString());
  EXPECT_TRUE(log.reports.isEmpty());
}

TEST_F(OuiLookup, AnOverlongLineIsSkippedAndTheNextStillRead) {
  QByteArray content = "AA-BB-CC\t" + QByteArray(5000, 'x') + "\r\n";
  content += "AA-BB-CC\tShort name\r\n";
  writeOui(content);
  EXPECT_EQ(lookUp("AA-BB-CC-00-00-01"), u"Short name");
}

// Lines of 1,024 bytes are the longest entries, whatever ends them; one byte more is never one.
TEST_F(OuiLookup, LinesOverTheLimitAreNeverEntries) {
  const struct {
    int length;  // of the line without its end
    const char* end;
    bool entry;
  } cases[] = {
      {tunables::kMaxOuiLine, "\r\n", true},      {tunables::kMaxOuiLine, "\n", true},
      {tunables::kMaxOuiLine, "", true},          {tunables::kMaxOuiLine + 1, "\n", false},
      {tunables::kMaxOuiLine + 1, "\r\n", false}, {tunables::kMaxOuiLine + 1, "", false},
      {tunables::kMaxOuiLine + 2, "", false},     {tunables::kMaxOuiLine + 2, "\r", false},
  };
  for (const auto& c : cases) {
    const QByteArray name(c.length - 9, 'N');
    writeOui("00-11-22\t" + name + c.end);
    EXPECT_EQ(lookUp("00-11-22-33-44-55"), c.entry ? QString::fromLatin1(name) : QString())
        << c.length << " bytes, end " << QByteArray(c.end).toHex().constData();
  }
  EXPECT_TRUE(log.reports.isEmpty());
}

TEST_F(OuiLookup, AChangedFileIsUsedAtTheNextLookup) {
  writeOui("00-1B-21\tFirst name\r\n");
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), u"First name");
  writeOui("00-1B-21\tChanged name\r\n");
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), u"Changed name");
  // The same size and the same modification time: the rewrite still shows.
  QFile file(appFolder() + QStringLiteral("/oui.txt"));
  ASSERT_TRUE(file.open(QIODevice::ReadWrite));
  const QDateTime modified = file.fileTime(QFileDevice::FileModificationTime);
  writeOui("00-1B-21\tChanged NAME\r\n");
  ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), u"Changed NAME");
}

TEST_F(OuiLookup, AReplacedOrRemovedFileIsUsedAtTheNextLookup) {
  writeOui("00-1B-21\tFirst name\r\n");
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), u"First name");
  writeFile(folder.path(), "00-1B-21\tOther name\r\n");
  const QString path = appFolder() + QStringLiteral("/oui.txt");
  ASSERT_TRUE(QFile::remove(path));
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), QString());
  ASSERT_TRUE(QFile::rename(folder.path() + QStringLiteral("/oui.txt"), path));
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), u"Other name");
  EXPECT_TRUE(log.reports.isEmpty());
}

TEST_F(OuiLookup, AnEmptyFileIsReportedAtEveryLookup) {
  writeOui("");
  settle(appFolder());
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), QString());
  EXPECT_EQ(log.reports, QStringList{kEmptyFileReport});
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), QString());
  EXPECT_EQ(log.reports, (QStringList{kEmptyFileReport, kEmptyFileReport}));
}

TEST_F(OuiLookup, ShortMacTextsNeverTouchTheFile) {
  writeOui("");  // touching it would be reported
  for (const char* mac : {"", "0", "00-1B-2", "00:1B:2"}) {
    EXPECT_EQ(lookUp(mac), QString()) << mac;
  }
  EXPECT_TRUE(log.reports.isEmpty());
  EXPECT_EQ(lookUp("00-1B-21"), QString());  // eight characters do
  EXPECT_EQ(log.reports, QStringList{kEmptyFileReport});
}

TEST_F(OuiLookup, AnAbsentFileIsNoFailure) {
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), QString());
  EXPECT_TRUE(log.reports.isEmpty());
}

TEST_F(OuiLookup, FolderOrderAppUserShare) {
  writeFile(folder.path() + QStringLiteral("/share"), "00-1B-21\tFrom share\r\n");
  settle(folder.path() + QStringLiteral("/share"));
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), u"From share");
  writeFile(folder.path() + QStringLiteral("/user"), "00-1B-21\tFrom user\r\n");
  settle(folder.path() + QStringLiteral("/user"));
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), u"From user");
  writeOui("00-1B-21\tFrom app\r\n");
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), u"From app");
}

TEST_F(OuiLookup, AFileThatCannotBeOpenedIsReportedOnceAndEnds) {
  writeOui("00-1B-21\tIntel Corporate\r\n");
  QFile file(appFolder() + QStringLiteral("/oui.txt"));
  ASSERT_TRUE(file.setPermissions(QFileDevice::WriteOwner));
  if (file.open(QIODevice::ReadOnly)) GTEST_SKIP() << "running with rights that read any file";
  EXPECT_EQ(lookUp("00-1B-21-00-00-31"), QString());
  EXPECT_EQ(log.reports,
            QStringList{QStringLiteral("Error 75 (Path/File access error) in procedure "
                                       "OUI_GetMFGByMAC of Module modDataProcess on line 80")});
}

TEST(Manufacturer, CallersRuleChoosesMakerOrFile) {
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  QFile file(folder.path() + QStringLiteral("/oui.txt"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("00-0A-2B\tFile maker entry\r\n00-1B-21\tIntel Corporate\r\n");
  file.close();
  const AppPaths paths(folder.path(), QString(), QString());
  test::RecordingReporter log;
  OuiFile oui(log, paths);
  EXPECT_EQ(ManufacturerOf(QStringLiteral("00-0A-2B-01-80-01"), oui), u"Norvikta, Inc");
  EXPECT_EQ(ManufacturerOf(QStringLiteral("00-0a-2b-02-00-00"), oui), u"Etherstuff");
  EXPECT_EQ(ManufacturerOf(QStringLiteral("00:0A:2B:01:80:01"), oui), QString());
  EXPECT_EQ(ManufacturerOf(QStringLiteral("00-1B-21-00-00-31"), oui), u"Intel Corporate");
}

// --- A reading the system refuses part-way -----------------------------------------------

// Serves `content`, then refuses every further read.
class FailingDevice final : public QIODevice {
 public:
  explicit FailingDevice(QByteArray content) : m_content(std::move(content)) {
    open(QIODevice::ReadOnly);
  }
  bool isSequential() const override { return true; }

 protected:
  qint64 readData(char* data, qint64 maxSize) override {
    if (m_served == m_content.size()) return -1;
    const qint64 n = std::min<qint64>(maxSize, m_content.size() - m_served);
    std::memcpy(data, m_content.constData() + m_served, size_t(n));
    m_served += n;
    return n;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  QByteArray m_content;
  qint64 m_served = 0;
};

TEST(OuiReadError, IsReportedUnlessTheMatchCameBefore) {
  const QString report = QStringLiteral(
      "Error 57 (Device I/O error) in procedure OUI_GetMFGByMAC of Module modDataProcess on "
      "line 100");
  const struct {
    QByteArray before;  // what was read before the refusal
    const char* mac;
    const char* name;
    bool reported;
  } cases[] = {
      {"00-1B-21\tIntel Corporate\r\n", "00-1B-21-00-00-31", "Intel Corporate", false},
      {"00-1B-21\tIntel Corporate\r\n", "00-00-0C-00-00-32", "", true},
      // A line cut short by the refusal is no entry.
      {"00-1B-21\tIntel Corporate\r\n00-00-0C\tCis", "00-00-0C-00-00-32", "", true},
      {"", "00-1B-21-00-00-31", "", true},
  };
  for (const auto& c : cases) {
    FailingDevice device(c.before);
    const OuiTable table = OuiTable::read(device);
    EXPECT_EQ(table.ending(), OuiTable::Ending::ReadFailed);
    test::RecordingReporter log;
    StepTrap trap(log, QStringLiteral("OUI_GetMFGByMAC"), Container::Module);
    EXPECT_EQ(OuiAnswer(table, QString::fromLatin1(c.mac), trap), QString::fromLatin1(c.name))
        << c.mac;
    EXPECT_EQ(log.reports, c.reported ? QStringList{report} : QStringList{}) << c.mac;
  }
}

}  // namespace
}  // namespace velmaro

// The IEEE registry import: both layouts read into the same entries, every damaged or wrong
// file refused with its line, and the vendor file replaced whole or not at all.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>

#include "identify/Manufacturer.h"
#include "identify/RegistrySample.h"
#include "identify/VendorFile.h"
#include "identify/VendorRegistry.h"
#include "support/AppPaths.h"
#include "support/PrintableText.h"
#include "support/RecordingReporter.h"

namespace velmaro {
namespace {

const QByteArray kText = test::kRegistryStart +
                         "\r\n"
                         "f4-bd-9e   (hex)\t\tCisco Systems, Inc\r\n"
                         "F4BD9E     (base 16)\t\tCisco Systems, Inc\r\n"
                         "\t\t\t\tUS\r\n"
                         "\r\n"
                         "58-B5-68   (hex)\t\tSECURITAS DIRECT ESPA\xC3\x91"
                         "A, SAU\r\n"
                         "58B568     (base 16)\t\tSECURITAS DIRECT ESPA\xC3\x91"
                         "A, SAU\r\n";

// The same registry as oui.csv: quoting, a doubled quote, a line end inside an address.
const QByteArray kCsv =
    "Registry,Assignment,Organization Name,Organization Address\r\n"
    "MA-L,002272,American Micro-Fuel Device Corp.,2181 Buchanan Loop \r\n"
    "MA-L,F4BD9E,\"Cisco Systems, Inc\",\"80 West Tasman Drive\nSan Jose CA \"\"US\"\" \"\r\n"
    "MA-L,58B568,\"SECURITAS DIRECT ESPA\xC3\x91"
    "A, SAU\",Madrid ES\r\n";

const std::vector<VendorEntry> kEntries{{"00-22-72", "American Micro-Fuel Device Corp."},
                                        {"F4-BD-9E", "Cisco Systems, Inc"},
                                        {"58-B5-68",
                                         "SECURITAS DIRECT ESPA\xD1"
                                         "A, SAU"}};

TEST(Registry, BothLayoutsGiveTheSameEntries) {
  for (const QByteArray& bytes :
       {kText, kCsv, QByteArray("\xEF\xBB\xBF") + kCsv, QByteArray(kText).replace("\r\n", "\n")}) {
    const RegistryRead read = ParseIeeeRegistry(bytes);
    ASSERT_FALSE(read.failure.has_value())
        << read.failure->line << ": " << read.failure->reason.toStdString();
    EXPECT_EQ(read.entries, kEntries);
  }
}

struct Refusal {
  const char* what;
  QByteArray bytes;
  int line;
  const char* mentions;
};

TEST(Registry, RefusesWhatIsNotTheWholeRegistryWithTheLine) {
  const Refusal cases[] = {
      {"a web page saved instead", "<!DOCTYPE html>\r\n<html>\r\n", 1,
       "not the IEEE MA-L registry"},
      {"empty", "", 1, "empty"},
      {"cut in the middle of a line", kText.first(kText.size() - 10), 14, "cut short"},
      {"cut inside an entry", kText.first(kText.indexOf("58B568")), 13, "cut short"},
      {"an entry without its base 16 line",
       QByteArray(kText).replace("F4BD9E     (base 16)", "\t\t\t\t"), 9, "(base 16)"},
      {"a base 16 line of another prefix", QByteArray(kText).replace("F4BD9E", "F4BD9F"), 10,
       "does not follow"},
      {"a broken prefix", QByteArray(kText).replace("f4-bd-9e", "f4-bd-9"), 9,
       "not a vendor prefix"},
      {"binary data", QByteArray(kText).replace("US", QByteArray("U\0", 2)), 11, "binary"},
      {"an overlong line", kText + QByteArray(5000, 'x') + "\r\n", 15, "not registry text"},
      {"no entry at all", kText.first(kText.indexOf("00-22-72")), 1, "no entry"},
      {"the MA-M registry", QByteArray(kCsv).replace("MA-L,F4BD9E", "MA-M,F4BD9E0"), 3, "MA-L"},
      {"a field too few", QByteArray(kCsv).replace("SAU\",Madrid ES", "SAU\""), 5, "3 fields"},
      {"a short assignment", QByteArray(kCsv).replace("002272", "00227"), 2, "six-digit"},
      {"a quote never closed", kCsv.first(kCsv.indexOf("San Jose")), 3, "never ends"},
      {"a csv cut mid-line", kCsv.first(kCsv.size() - 2), 5, "cut short"},
      {"a stray quote", QByteArray(kCsv).replace("Buchanan Loop", "Buchanan \"Loop"), 2, "quote"},
      {"a terminal's escapes",
       "\x1b]0;owned\x07\xc2\x9b"
       "2J\r\n",
       1, "\"?]0;owned??2J\""},
  };
  for (const Refusal& c : cases) {
    const RegistryRead read = ParseIeeeRegistry(c.bytes);
    ASSERT_TRUE(read.failure.has_value()) << c.what;
    EXPECT_EQ(read.failure->line, c.line) << c.what << ": " << read.failure->reason.toStdString();
    EXPECT_TRUE(read.failure->reason.contains(QLatin1String(c.mentions)))
        << c.what << ": " << read.failure->reason.toStdString();
    EXPECT_TRUE(read.entries.empty()) << c.what;
    EXPECT_EQ(read.failure->reason, PrintableText(read.failure->reason)) << c.what;
  }
}

// Names reach terminals, spreadsheets and the log: no control character survives the import.
TEST(Registry, NamesKeepNoControlCharacter) {
  const std::pair<QByteArray, QByteArray> cases[] = {
      {"Acme\x1b[2J Inc", "Acme?[2J Inc"},
      {"A\xc2\x9b"
       "31mB\x7f",
       "A?31mB?"},
      {"Tab\there\r\nand\x07", "Tab here and?"},
      {"Nu\xc3\xb1"
       "ez \xe2\x80\xae"
       "Corp",
       "Nu\xf1"
       "ez Corp"},
  };
  for (const auto& [utf8, latin1] : cases)
    EXPECT_EQ(VendorNameLatin1(utf8), latin1) << latin1.data();
}

TEST(Registry, TheDistributionsFilesReadAlikeInBothLayouts) {
  QFile text(QStringLiteral("/usr/share/ieee-data/oui.txt"));
  QFile csv(QStringLiteral("/usr/share/ieee-data/oui.csv"));
  if (!text.open(QIODevice::ReadOnly) || !csv.open(QIODevice::ReadOnly))
    GTEST_SKIP() << "no ieee-data";
  const RegistryRead fromText = ParseIeeeRegistry(text.readAll());
  const RegistryRead fromCsv = ParseIeeeRegistry(csv.readAll());
  ASSERT_FALSE(fromText.failure) << fromText.failure->line << ": "
                                 << fromText.failure->reason.toStdString();
  ASSERT_FALSE(fromCsv.failure) << fromCsv.failure->line << ": "
                                << fromCsv.failure->reason.toStdString();
  EXPECT_GT(fromText.entries.size(), 30000u);
  // The two layouts list the entries in different orders.
  const auto prefixes = [](const RegistryRead& read) {
    QList<QByteArray> all;
    for (const VendorEntry& entry : read.entries) all.append(entry.prefix);
    std::sort(all.begin(), all.end());
    return all;
  };
  EXPECT_EQ(prefixes(fromText), prefixes(fromCsv));
}

class Import : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(app.isValid() && user.isValid() && share.isValid()); }

  QString write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    return path;
  }

  QTemporaryDir app, user, share, downloads;
  AppPaths paths{app.path(), user.path() + QStringLiteral("/velmaro"), share.path()};
};

TEST_F(Import, WritesTheUserFileCountsNewPrefixesAndTheLookUpUsesIt) {
  // The install's file knows one of the three vendors.
  write(share.path() + QStringLiteral("/oui.txt"),
        "00-22-72\tAmerican Micro-Fuel Device Corp.\r\n");
  const VendorImport done =
      ImportVendorRegistry(write(downloads.path() + QStringLiteral("/oui.csv"), kCsv), paths);
  ASSERT_FALSE(done.refusal.has_value());
  ASSERT_TRUE(done.error.isEmpty()) << done.error.toStdString();
  EXPECT_EQ(done.entries, 3);
  EXPECT_EQ(done.newPrefixes, 2);
  EXPECT_EQ(done.writtenPath, paths.userOuiPath());
  EXPECT_EQ(done.inUse, paths.userOuiPath());

  const VendorFileInUse inUse = DescribeVendorFile(paths);
  EXPECT_EQ(inUse.entries, 3);
  EXPECT_TRUE(inUse.registryDated);
  EXPECT_EQ(inUse.date,
            QFileInfo(downloads.path() + QStringLiteral("/oui.csv")).lastModified().toUTC().date());
  test::RecordingReporter log;
  EXPECT_EQ(OuiFile(log, paths).OUI_GetMFGByMAC(QStringLiteral("f4-bd-9e-01-02-03")),
            u"Cisco Systems, Inc");
  EXPECT_TRUE(log.reports.isEmpty());
}

TEST_F(Import, ARefusedRegistryLeavesTheFileInUseUntouched) {
  const QVector<QByteArray> before{
      ImportVendorRegistry(write(downloads.path() + QStringLiteral("/a.txt"), kText), paths)
          .error.toLatin1()};
  ASSERT_TRUE(before.front().isEmpty());
  QFile current(paths.userOuiPath());
  ASSERT_TRUE(current.open(QIODevice::ReadOnly));
  const QByteArray kept = current.readAll();
  current.close();

  const VendorImport refused = ImportVendorRegistry(
      write(downloads.path() + QStringLiteral("/b.txt"), kText.first(kText.size() - 10)), paths);
  ASSERT_TRUE(refused.refusal.has_value());
  EXPECT_EQ(refused.refusal->line, 14);
  ASSERT_TRUE(current.open(QIODevice::ReadOnly));
  EXPECT_EQ(current.readAll(), kept);
  EXPECT_EQ(QDir(user.path() + QStringLiteral("/velmaro")).entryList(QDir::Files),
            QStringList{QStringLiteral("oui.txt")});

  const VendorImport missing =
      ImportVendorRegistry(downloads.path() + QStringLiteral("/none.csv"), paths);
  EXPECT_FALSE(missing.error.isEmpty());
}

TEST(VendorFileLine, SaysWhatIsInUseOrHowToGetOne) {
  // The path as the system writes it.
  const auto shown = [](const char* path) {
    return QDir::toNativeSeparators(QString::fromLatin1(path));
  };
  EXPECT_EQ(CheckVendorFile({QStringLiteral("/usr/share/velmaro/oui.txt"), true, 32530,
                             QDate(2022, 8, 27), true})
                .text,
            QStringLiteral("ok (%1, registry of 2022-08-27, 32530 entries)")
                .arg(shown("/usr/share/velmaro/oui.txt")));
  // A folder's name is text, never a placeholder.
  EXPECT_EQ(
      CheckVendorFile({QStringLiteral("/home/p%1q/oui.txt"), true, 5, QDate(2024, 1, 2), false})
          .text,
      QStringLiteral("ok (") + shown("/home/p%1q/oui.txt") +
          QStringLiteral(", file of 2024-01-02, 5 entries)"));
  const DoctorLine none = CheckVendorFile({QStringLiteral("/opt/oui.txt"), false, 0, {}, false});
  EXPECT_EQ(none.verdict, Verdict::Fix);
  EXPECT_FALSE(none.blocking);
}

}  // namespace
}  // namespace velmaro

// Hostile files: neighbour listings with lines of a megabyte, vendor files of a million
// lines or of NULs without a line end, and links, FIFOs and folders planted at the names of
// the program's own files. Each case states what must still hold.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "identify/ArpTable.h"
#include "identify/Manufacturer.h"
#include "platform/linux/LinuxBackends.h"
#include "support/AppPaths.h"
#include "support/Clock.h"
#include "support/ErrorLog.h"
#include "support/Events.h"
#include "support/FakeClock.h"
#include "support/FakePlatform.h"
#include "support/RecordingReporter.h"
#include "support/Tunables.h"
#include "support/Watchdog.h"

namespace velmaro {
namespace {

constexpr qsizetype kMegabyte = 1024 * 1024;

class HostileFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetWaitAbort();
    ASSERT_TRUE(m_dir.isValid());
  }
  QString write(const char* name, const QByteArray& bytes) {
    const QString path = m_dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    EXPECT_EQ(file.write(bytes), bytes.size());
    return path;
  }
  // Loads the neighbour table from a listing that `cat` prints.
  std::vector<ArpEntry> load(const QByteArray& listing) {
    m_platform.arp = platform::CommandLine{QStringLiteral("cat"), {write("listing.txt", listing)}};
    ArpTable table(m_log, m_platform, Clock::system());
    table.ARP_LoadTable();
    return table.entries();
  }

  QTemporaryDir m_dir;
  test::RecordingReporter m_log;
  test::FakePlatform m_platform;
  AppPaths m_paths{m_dir.path(), m_dir.path(), m_dir.path()};
};

// Lines of a megabyte in a listing. Expected: they are skipped, the entries around them
// are read, nothing is reported.
TEST_F(HostileFiles, ListingWithLinesOfAMegabyte) {
  const QByteArray longLine = "  10.0.0.9   " + QByteArray(kMegabyte, 'a') + "   dynamic\r\n";
  const auto entries =
      load("  10.0.0.1  00-0a-2b-01-80-01  dynamic\r\n" + longLine + QByteArray(kMegabyte, ' ') +
           "\r\n" + longLine + "  10.0.0.2  00-0a-2b-01-80-02  dynamic\r\n");
  EXPECT_EQ(entries, (std::vector<ArpEntry>{
                         {QStringLiteral("10.0.0.1"), QStringLiteral("00-0a-2b-01-80-01")},
                         {QStringLiteral("10.0.0.2"), QStringLiteral("00-0a-2b-01-80-02")}}));
  EXPECT_TRUE(m_log.reports.isEmpty()) << m_log.reports.join(u'\n').toStdString();
  // The system's own listing with such a line: converted around it.
  const QByteArray converted = platform::linux_backend::convertArpListing(
      "10.0.0.1 dev vlab0 lladdr 00:0a:2b:01:80:01 REACHABLE\n10.0.0.9 dev vlab0 lladdr " +
      QByteArray(kMegabyte, '0') + " REACHABLE\n");
  EXPECT_EQ(converted.count('\n'), 1);
}

// A vendor file of a million lines. Expected: an entry on its last line is found.
TEST_F(HostileFiles, VendorFileOfAMillionLines) {
  QByteArray file;
  file.reserve(30 * kMegabyte);
  for (int i = 0; i < 1'000'000 - 1; ++i) {
    file += QByteArray::number(0x100000 + i, 16).toUpper().insert(2, '-').insert(5, '-').right(8) +
            "\tVendor " + QByteArray::number(i) + "\r\n";
  }
  file += "FC-FD-FE\tThe last vendor\r\n";
  const QString path = write("oui.txt", file);
  QElapsedTimer clock;
  clock.start();
  EXPECT_EQ(OUI_GetMFGByMACInFile(QStringLiteral("FC-FD-FE-00-00-01"), path, m_log),
            u"The last vendor");
  EXPECT_EQ(OUI_GetMFGByMACInFile(QStringLiteral("10-00-05-00-00-01"), path, m_log), u"Vendor 5");
  EXPECT_TRUE(m_log.reports.isEmpty()) << m_log.reports.join(u'\n').toStdString();
  std::printf("two look-ups in a vendor file of a million lines: %lld ms\n",
              static_cast<long long>(clock.elapsed()));
}

// A vendor file of NULs without a single line end. Expected: nothing is found, nothing is
// reported, and the look-up ends.
TEST_F(HostileFiles, VendorFileOfNulsWithoutLineEnds) {
  const QString path = write("oui.txt", QByteArray(8 * kMegabyte, '\0') + "00-11-22\tCIMSYS Inc");
  EXPECT_EQ(OUI_GetMFGByMACInFile(QStringLiteral("00-11-22-33-44-55"), path, m_log), u"");
  EXPECT_TRUE(m_log.reports.isEmpty()) << m_log.reports.join(u'\n').toStdString();
}

// What a local user plants at a name the program writes by, in a folder the program is run
// from as root. The link target is a file the planter wants created or overwritten.
enum class Planted { DanglingLink, LinkToFile, Fifo, Folder };

class PlantedName : public HostileFiles, public ::testing::WithParamInterface<Planted> {
 protected:
  void plant(const char* name) {
    m_planted = m_dir.filePath(QString::fromLatin1(name));
    const QByteArray at = QFile::encodeName(m_planted);
    const QByteArray target = QFile::encodeName(victim());
    switch (GetParam()) {
      case Planted::LinkToFile:
        write("victim", "precious\n");
        [[fallthrough]];
      case Planted::DanglingLink:
        ASSERT_EQ(::symlink(target.constData(), at.constData()), 0);
        break;
      case Planted::Fifo:
        ASSERT_EQ(::mkfifo(at.constData(), 0600), 0);
        break;
      case Planted::Folder:
        ASSERT_TRUE(QDir().mkdir(m_planted));
        break;
    }
  }
  QString victim() const { return m_dir.filePath(QStringLiteral("victim")); }
  // The planted thing is as it was planted, and its target as it was.
  void expectUntouched() const {
    const QFileInfo info(m_planted);
    QFile target(victim());
    switch (GetParam()) {
      case Planted::DanglingLink:
        EXPECT_TRUE(info.isSymLink());
        EXPECT_FALSE(QFileInfo::exists(victim()));
        break;
      case Planted::LinkToFile:
        EXPECT_TRUE(info.isSymLink());
        ASSERT_TRUE(target.open(QIODevice::ReadOnly));
        EXPECT_EQ(target.readAll(), "precious\n");
        break;
      case Planted::Fifo: {
        struct stat st = {};
        EXPECT_EQ(::lstat(QFile::encodeName(m_planted).constData(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode));
        break;
      }
      case Planted::Folder:
        EXPECT_TRUE(info.isDir() && !info.isSymLink());
        break;
    }
  }

  QString m_planted;
};

// arp.txt planted in the program's folder. Expected: the load reads its own listing and
// leaves the planted name and its target alone.
TEST_P(PlantedName, NeighbourListing) {
  ASSERT_NO_FATAL_FAILURE(plant("arp.txt"));
  const test::Watchdog watchdog(std::chrono::seconds(20), "the neighbour table's load");
  const auto entries = load("  10.0.0.1  00-0a-2b-01-80-01  dynamic\r\n");
  EXPECT_EQ(
      entries,
      (std::vector<ArpEntry>{{QStringLiteral("10.0.0.1"), QStringLiteral("00-0a-2b-01-80-01")}}));
  expectUntouched();
}

// ErrorLog.txt planted in the program's folder. Expected: no hang; both records go to the
// other log, once each (the repeat rule reads that one), and the planted name is left alone.
TEST_P(PlantedName, ErrorLog) {
  ASSERT_NO_FATAL_FAILURE(plant("ErrorLog.txt"));
  const test::Watchdog watchdog(std::chrono::seconds(20), "writing the error log");
  test::FakeClock clock;
  const QString other = m_dir.filePath(QStringLiteral("user/ErrorLog.txt"));
  ErrorLog log(m_planted, clock, nullptr, other);
  for (const char* report : {"x y z", "x y z", "a b c"}) log.LogError(QString::fromLatin1(report));
  QFile written(other);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll(),
            "Velmaro Error Log\r\n====================\r\n"
            "1.1.8 031512 1405 x y z\r\n1.1.8 031512 1405 a b c\r\n");
  expectUntouched();
}

std::string PlantedKindName(const ::testing::TestParamInfo<Planted>& planted) {
  constexpr const char* kNames[] = {"DanglingLink", "LinkToFile", "Fifo", "Folder"};
  return kNames[int(planted.param)];
}

INSTANTIATE_TEST_SUITE_P(Kinds, PlantedName,
                         ::testing::Values(Planted::DanglingLink, Planted::LinkToFile,
                                           Planted::Fifo, Planted::Folder),
                         PlantedKindName);

}  // namespace
}  // namespace velmaro

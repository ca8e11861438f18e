// ErrorLog.txt: header, record layout, the repeat and 400/401 rules, the size limit with
// its viewer and box, and a log that cannot be written.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "support/ErrorLog.h"
#include "support/FakeClock.h"
#include "support/FakeNotice.h"

namespace velmaro {
namespace {

class ErrorLogTest : public ::testing::Test {
 protected:
  QString path() const { return m_dir.path() + QStringLiteral("/ErrorLog.txt"); }
  QByteArray contents() const {
    QFile f(path());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }
  void writeFile(const QByteArray& bytes) {
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
  }
  // A log of exactly `size` bytes made of CR LF terminated lines.
  void writeLogOfSize(qint64 size) {
    QByteArray bytes = "Velmaro Error Log\r\n====================\r\n";
    while (bytes.size() < size) bytes += "1.1.8 010112 0000 filler line of the log\r\n";
    bytes.truncate(size - 2);
    bytes += "\r\n";
    writeFile(bytes);
  }

  QTemporaryDir m_dir;
  test::FakeClock m_clock;
  test::FakeNotice m_notice;
  ErrorLog m_log{path(), m_clock, &m_notice};
};

TEST_F(ErrorLogTest, FirstReportWritesHeaderAndOneRecordWithCrLf) {
  m_log.LogError(
      QStringLiteral("Error 53 (File not found) in procedure X of Form frmMain on line 20"));
  EXPECT_EQ(
      contents(),
      "Velmaro Error Log\r\n"
      "====================\r\n"
      "1.1.8 031512 1405 Error 53 (File not found) in procedure X of Form frmMain on line 20\r\n");
}

TEST_F(ErrorLogTest, EmptyFileGetsTheHeaderToo) {
  writeFile({});
  m_log.LogError(QStringLiteral("a b c"));
  EXPECT_EQ(contents(), "Velmaro Error Log\r\n====================\r\n1.1.8 031512 1405 a b c\r\n");
}

TEST_F(ErrorLogTest, RecordCarriesTheLocalTimeOfWriting) {
  m_clock.setLocalNow(QDateTime(QDate(2009, 12, 1), QTime(7, 9, 59)));
  m_log.LogError(QStringLiteral("x y z"));
  EXPECT_TRUE(contents().endsWith("1.1.8 120109 0709 x y z\r\n"));
}

TEST_F(ErrorLogTest, ReportIsNotRepeatedWhileItIsTheNewestEntry) {
  const QString a = QStringLiteral("Error 5 (A) in procedure P of Form frmMain on line 10");
  const QString b = QStringLiteral("Error 6 (B) in procedure P of Form frmMain on line 20");
  m_log.LogError(a);
  m_log.LogError(a);
  m_log.LogError(b);
  m_log.LogError(a);
  EXPECT_EQ(contents().count(a.toLatin1()), 2);
  EXPECT_EQ(contents().count(b.toLatin1()), 1);
}

TEST_F(ErrorLogTest, HeaderOnlyLogNeverSuppressesAReport) {
  writeFile("Velmaro Error Log\r\n====================\r\n");
  // The last line is the "=" line, not the title: a report matching the title is written.
  m_log.LogError(QStringLiteral("Error Log"));
  EXPECT_TRUE(contents().endsWith("1.1.8 031512 1405 Error Log\r\n"));
}

TEST_F(ErrorLogTest, ErrorNumbers400And401AreNeverWritten) {
  const std::pair<const char*, bool> cases[] = {
      {"Error 400 (Form already displayed) in procedure P of Form frmMain on line 10", false},
      {"Error 401 (Can't show) in procedure P of Form frmMain on line 10", false},
      {"Error 4000 (x) in procedure P of Form frmMain on line 10", true},
      {"Error 40 (x) in procedure P of Form frmMain on line 10", true},
      {"Error 400", true},     // fewer than three fields: no number test
      {"Error  400 x", true},  // two blanks: the second field is empty
  };
  for (const auto& [message, written] : cases) {
    QFile::remove(path());
    m_log.LogError(QString::fromLatin1(message));
    EXPECT_EQ(contents().contains(message), written) << message;
  }
}

TEST_F(ErrorLogTest, LogJustBelowTheLimitStillReceivesTheRecord) {
  writeLogOfSize(131071);
  m_log.LogError(
      QStringLiteral("Error 9 (Subscript out of range) in procedure P of Form frmMain on line 30"));
  EXPECT_TRUE(contents().endsWith("on line 30\r\n"));
  EXPECT_TRUE(m_notice.boxes.isEmpty());
  EXPECT_TRUE(m_notice.documents.isEmpty());
}

TEST_F(ErrorLogTest, LogAtTheLimitIsShownAskedAboutAndDeletedAndTheReportDropped) {
  writeLogOfSize(131072);
  m_log.LogError(
      QStringLiteral("Error 9 (Subscript out of range) in procedure P of Form frmMain on line 30"));
  EXPECT_FALSE(QFile::exists(path()));
  ASSERT_EQ(m_notice.documents.size(), 1);
  EXPECT_EQ(m_notice.documents.front(), path());
  ASSERT_EQ(m_notice.boxes.size(), 1);
  EXPECT_EQ(m_notice.boxes.front(),
            QStringLiteral(
                "'ErrorLog.txt' is too large, indicating there's something wrong with the "
                "software and/or its components.\r\n\r\nPlease email the contents of "
                "'ErrorLog.txt' shown in the Notepad window to Norvikta, Inc.'s support team."));
  // The next report starts a fresh log.
  m_log.LogError(QStringLiteral("next one"));
  EXPECT_EQ(contents(),
            "Velmaro Error Log\r\n====================\r\n1.1.8 031512 1405 next one\r\n");
}

TEST_F(ErrorLogTest, ReportsArrivingWhileTheBoxIsOpenStartTheFreshLog) {
  writeLogOfSize(200000);
  m_notice.whileOpen = [this] {
    m_log.LogError(QStringLiteral("first held"));
    m_log.LogError(QStringLiteral("second held"));
  };
  m_log.LogError(QStringLiteral("trigger"));
  EXPECT_EQ(m_notice.boxes.size(), 1);      // no stacked boxes
  EXPECT_EQ(m_notice.documents.size(), 1);  // nor viewers
  EXPECT_EQ(contents(),
            "Velmaro Error Log\r\n====================\r\n"
            "1.1.8 031512 1405 first held\r\n"
            "1.1.8 031512 1405 second held\r\n");
}

TEST_F(ErrorLogTest, LogThatCannotBeWrittenIsSilentlySkipped) {
  ErrorLog log(m_dir.path() + QStringLiteral("/missing/folder/ErrorLog.txt"), m_clock, &m_notice);
  EXPECT_NO_THROW(log.LogError(QStringLiteral("a b c")));
  EXPECT_FALSE(QFile::exists(m_dir.path() + QStringLiteral("/missing/folder/ErrorLog.txt")));
  EXPECT_TRUE(m_notice.boxes.isEmpty());
}

// A folder named ErrorLog.txt where the log belongs: the record goes to the other log
// rather than being lost, and the folder is left alone.
TEST_F(ErrorLogTest, RecordGoesToTheOtherLogWhenAFolderStandsInTheWay) {
  ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("ErrorLog.txt")));
  const QString other = m_dir.path() + QStringLiteral("/user/ErrorLog.txt");
  ErrorLog log(path(), m_clock, &m_notice, other);
  log.LogError(QStringLiteral("x y z"));
  log.LogError(QStringLiteral("x y z"));
  QFile written(other);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  EXPECT_EQ(written.readAll(),
            "Velmaro Error Log\r\n====================\r\n1.1.8 031512 1405 x y z\r\n");
  EXPECT_TRUE(QFileInfo(path()).isDir());
}

TEST_F(ErrorLogTest, LastLineWithoutBreakAnywhereDoesNotSuppress) {
  writeFile("one long line that mentions x y z\r\n");  // no break before the final CR LF
  m_log.LogError(QStringLiteral("x y z"));
  EXPECT_TRUE(contents().endsWith("1.1.8 031512 1405 x y z\r\n"));
}

TEST_F(ErrorLogTest, LogWithoutAnyLineBreakGetsTheReportOnceOnALineOfItsOwn) {
  writeFile("left by another program");
  m_log.LogError(QStringLiteral("x y z"));
  m_log.LogError(QStringLiteral("x y z"));
  EXPECT_EQ(contents(), "left by another program\r\n1.1.8 031512 1405 x y z\r\n");
}

// Descriptions in the desktop's language can hold any character; the file is 8-bit.
TEST_F(ErrorLogTest, ReportOutsideLatin1IsStoredReadablyAndNotRepeated) {
  const struct {
    const char16_t* report;
    const char* stored;
  } cases[] = {
      {u"Error 10013 (\u041e\u0442\u043a\u0430\u0437\u0430\u043d\u043e) in procedure P of Form "
       u"frmMain on line 40",
       "Error 10013 (???????"
       "?) in procedure P of Form frmMain on line 40"},
      {u"Error 5 (Zugriff verweigert \u2013 \u0150rs\u00e9g \u201cx\u201d) in procedure P of Form "
       u"frmMain on line 10",
       "Error 5 (Zugriff verweigert - Ors\xe9g \"x\") in procedure P of Form frmMain on line 10"},
      {u"Error 7 (\U0001F600 \uFB01le) in procedure P of Form frmMain on line 20",
       "Error 7 (? file) in procedure P of Form frmMain on line 20"},
  };
  for (const auto& c : cases) {
    const QString report = QString::fromUtf16(c.report);
    m_log.LogError(report);
    m_log.LogError(report);
    const QByteArray record = QByteArray("1.1.8 031512 1405 ") + c.stored + "\r\n";
    EXPECT_TRUE(contents().endsWith(record)) << c.stored;
    EXPECT_EQ(contents().count(record), 1) << c.stored;
  }
}

TEST(ErrorReportText, FollowsTheConvention) {
  EXPECT_EQ(ErrorReportText(6, QStringLiteral("Overflow"), QStringLiteral("cmdScanPing_Click"),
                            Container::Form, 80),
            QStringLiteral(
                "Error 6 (Overflow) in procedure cmdScanPing_Click of Form frmMain on line 80"));
  EXPECT_EQ(ErrorReportText(62, QStringLiteral("Input past end of file"),
                            QStringLiteral("ARP_LoadTable"), Container::Module, 110),
            QStringLiteral("Error 62 (Input past end of file) in procedure ARP_LoadTable of Module "
                           "modDataProcess on line 110"));
  EXPECT_EQ(ErrorReportText(-5, QStringLiteral("x"), QStringLiteral("P"), Container::Form, 10),
            QStringLiteral("Error -5 (x) in procedure P of Form frmMain on line 10"));
  // A card's name in the description is text, never a placeholder.
  EXPECT_EQ(ErrorReportText(10048, QStringLiteral("Address in use (p%1q)"),
                            QStringLiteral("ScanAllInterfaces"), Container::Form, 100),
            QStringLiteral("Error 10048 (Address in use (p%1q)) in procedure ScanAllInterfaces of "
                           "Form frmMain on line 100"));
}

TEST(FileHelpers, FileExistsAndIsArrayInitialized) {
  QTemporaryDir dir;
  const QString file = dir.path() + QStringLiteral("/f.txt");
  EXPECT_FALSE(FileExists(file));
  EXPECT_FALSE(FileExists(dir.path()));  // a folder is not a file
  QFile f(file);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.close();
  EXPECT_TRUE(FileExists(file));

  EXPECT_FALSE(IsArrayInitialized({}));
  EXPECT_TRUE(IsArrayInitialized({QStringLiteral("one")}));
}

}  // namespace
}  // namespace velmaro

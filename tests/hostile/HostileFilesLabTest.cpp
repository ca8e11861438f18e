// Hostile folders, inside the lab's private mount namespace: an application folder that
// is read-only and one on a full disk. Each case states what must still hold.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include "form/FormRoot.h"
#include "identify/ArpTable.h"
#include "identify/Manufacturer.h"
#include "platform/Platform.h"
#include "support/AppPaths.h"
#include "support/Clock.h"
#include "support/ErrorLog.h"
#include "support/Events.h"
#include "support/FakeControls.h"
#include "support/FakeNotice.h"
#include "support/LabGuard.h"
#include "support/LabLayout.h"
#include "support/RecordingReporter.h"

namespace velmaro {
namespace {

// Mounts made here must be seen by no one else: the lab runs every suite in a mount
// namespace whose mounts do not propagate back (ip netns exec makes "/" a slave).
bool MountsStayHere(QString* why) {
  QFile info(QStringLiteral("/proc/self/mountinfo"));
  if (!info.open(QIODevice::ReadOnly)) return false;
  for (const QByteArray& line : info.readAll().split('\n')) {
    const QList<QByteArray> fields = line.split(' ');
    if (fields.size() < 7 || fields[4] != "/") continue;
    if (line.contains(" shared:") && !line.contains(" master:")) {
      *why = QStringLiteral("\"/\" propagates mounts to other namespaces: ") +
             QString::fromLatin1(line);
      return false;
    }
    return true;
  }
  *why = QStringLiteral("no root mount found");
  return false;
}

bool run(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit &&
         process.exitCode() == 0;
}

// A tmpfs at a fresh folder for the life of the object.
class Tmpfs {
 public:
  explicit Tmpfs(const QString& options) {
    m_ok =
        m_dir.isValid() && run(QStringLiteral("mount"),
                               {QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                                options, QStringLiteral("velmaro-test"), m_dir.path()});
  }
  ~Tmpfs() {
    if (m_ok) run(QStringLiteral("umount"), {m_dir.path()});
  }
  Tmpfs(const Tmpfs&) = delete;
  Tmpfs& operator=(const Tmpfs&) = delete;
  bool ok() const { return m_ok; }
  QString path() const { return m_dir.path(); }
  bool remount(const QString& options) {
    return run(QStringLiteral("mount"),
               {QStringLiteral("-o"), QStringLiteral("remount,") + options, m_dir.path()});
  }

 private:
  QTemporaryDir m_dir;
  bool m_ok = false;
};

QByteArray contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class HostileFolders : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(lab::RequireLab());
    QString why;
    ASSERT_TRUE(MountsStayHere(&why)) << why.toStdString();
    ResetWaitAbort();
  }
};

// A read-only application folder. Expected: the log and the captured listing go to the
// per-user folder, nothing is lost, and the vendor file is still read where it lies.
TEST_F(HostileFolders, ReadOnlyApplicationFolder) {
  Tmpfs app(QStringLiteral("size=1m,mode=0755"));
  ASSERT_TRUE(app.ok());
  {
    QFile oui(app.path() + QStringLiteral("/oui.txt"));
    ASSERT_TRUE(oui.open(QIODevice::WriteOnly));
    oui.write("00-1B-21\tIntel Corporate\r\n");
  }
  ASSERT_TRUE(app.remount(QStringLiteral("ro")));
  QTemporaryDir user;
  const AppPaths paths(app.path(), user.path() + QStringLiteral("/velmaro"), QString());
  test::FakeControls controls;
  test::FakeNotice notice;
  FormServices services;
  services.paths = paths;
  FormRoot root(std::move(services), controls, notice);

  root.log().LogError(
      QStringLiteral("Error 5 (Invalid procedure call or argument) in procedure P "
                     "of Form frmMain on line 10"));
  test::RecordingReporter log;
  ArpTable arp(log, root.platform(), Clock::system());
  ASSERT_TRUE(lab::LabPing(lab::kU1.ip).has_value());  // a neighbour entry to capture
  arp.ARP_LoadTable();

  const QString userLog = user.path() + QStringLiteral("/velmaro/ErrorLog.txt");
  EXPECT_TRUE(contents(userLog).endsWith("on line 10\r\n")) << contents(userLog).toStdString();
  EXPECT_EQ(
      arp.ARP_GetMACByIP(QString::fromLatin1(lab::kU1.ip.data(), qsizetype(lab::kU1.ip.size()))),
      QString::fromLatin1(lab::kU1.mac.data(), qsizetype(lab::kU1.mac.size())));
  EXPECT_FALSE(QFile::exists(user.path() + QStringLiteral("/velmaro/arp.txt")));
  EXPECT_TRUE(log.reports.isEmpty()) << log.reports.join(u'\n').toStdString();
  OuiFile oui(log, root.paths());
  EXPECT_EQ(oui.OUI_GetMFGByMAC(QStringLiteral("00-1B-21-00-00-31")), u"Intel Corporate");
  EXPECT_EQ(QDir(app.path()).entryList(QDir::Files), QStringList{QStringLiteral("oui.txt")});
}

// A full disk under the application folder. Expected: no crash and no hang; a record that
// does not fit is cut, but the next one, once there is room, is written whole on a line of
// its own; the captured listing does not outlive its load.
TEST_F(HostileFolders, FullDisk) {
  Tmpfs app(QStringLiteral("size=64k,mode=0755"));
  ASSERT_TRUE(app.ok());
  const QString filler = app.path() + QStringLiteral("/filler");
  {
    QFile fill(filler);
    ASSERT_TRUE(fill.open(QIODevice::WriteOnly));
    const QByteArray block(1024, 'f');
    while (fill.write(block) == block.size() && fill.flush()) {
    }
  }
  const QString logPath = app.path() + QStringLiteral("/ErrorLog.txt");
  ErrorLog errorLog(logPath, Clock::system(), nullptr);
  const QString first = QStringLiteral(
      "Error 75 (Path/File access error) in procedure ARP_LoadTable "
      "of Module modDataProcess on line 90");
  errorLog.LogError(first);
  test::RecordingReporter log;
  std::unique_ptr<platform::Platform> platform = platform::createSystemPlatform();
  const AppPaths paths(app.path(), QString(), QString());
  ArpTable arp(log, *platform, Clock::system());
  arp.ARP_LoadTable();
  EXPECT_FALSE(QFile::exists(app.path() + QStringLiteral("/arp.txt")));

  ASSERT_TRUE(QFile::remove(filler));
  const QString second = QStringLiteral(
      "Error 53 (File not found) in procedure OUI_GetMFGByMAC of "
      "Module modDataProcess on line 80");
  errorLog.LogError(second);
  const QList<QByteArray> lines = contents(logPath).split('\n');
  ASSERT_GE(lines.size(), 2);
  EXPECT_TRUE(lines[lines.size() - 2].endsWith(second.toLatin1() + '\r'))
      << contents(logPath).toStdString();
  EXPECT_TRUE(lines[lines.size() - 2].startsWith("1.1.8 "));
}

}  // namespace
}  // namespace velmaro

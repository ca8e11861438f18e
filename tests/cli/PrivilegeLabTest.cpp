// velmaro-cli and the window started as an ordinary user holding cap_net_raw (or made
// set-user-ID root), in the lab's second client where no group may use unprivileged ICMP:
// once they run they are that user with no capability in any set, and a sweep still finds
// the live hosts through the raw socket opened at start.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <set>

#include "cli/CliProcess.h"
#include "support/LabGuard.h"

namespace velmaro::cli {
namespace {

constexpr uint kNobody = 65534;

enum class Lent { ProgramFile, Ambient, SetUserId };

struct PrivilegeCase {
  const char* name;
  Lent lent;
  const char* doctorIcmp;
  friend void PrintTo(const PrivilegeCase& c, std::ostream* os) { *os << c.name; }
};

const PrivilegeCase kCases[] = {
    {"setcap_on_the_program", Lent::ProgramFile,
     "ok (raw socket opened at start with cap_net_raw from the program file, every capability "
     "given up since; ping_group_range 1 0 admits none of this user's groups)"},
    {"ambient_from_the_caller", Lent::Ambient,
     "ok (raw socket opened at start with cap_net_raw of this process, every capability given "
     "up since; ping_group_range 1 0 admits none of this user's groups)"},
    {"set_user_id_root", Lent::SetUserId,
     "ok (raw socket opened at start with cap_net_raw of this process, every capability given "
     "up since; ping_group_range 1 0 admits none of this user's groups)"},
};

// The identity and capability sets of a running process as its status shows them, the
// bounding set left out: it only limits what may be gained later.
std::string heldPrivileges(qint64 pid) {
  QFile status(QStringLiteral("/proc/%1/status").arg(pid));
  QByteArrayList held;
  if (status.open(QIODevice::ReadOnly)) {
    for (const QByteArray& line : status.readAll().split('\n')) {
      if (line.startsWith("Uid") || (line.startsWith("Cap") && !line.startsWith("CapBnd")))
        held << line.simplified();
    }
  }
  return held.join(", ").toStdString();
}
constexpr char kUserOnly[] =
    "Uid: 65534 65534 65534 65534, CapInh: 0000000000000000, CapPrm: 0000000000000000, CapEff: "
    "0000000000000000, CapAmb: 0000000000000000";

class LentCapabilityLab : public ::testing::TestWithParam<PrivilegeCase> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(lab::RequireLab());
    if (::geteuid() != 0) GTEST_SKIP() << "lending a capability to another user needs root";
    ASSERT_TRUE(m_programDir.isValid() && m_home.isValid());
    ASSERT_EQ(::chmod(QFile::encodeName(m_programDir.path()).constData(), 0755), 0);
    ASSERT_EQ(::chown(QFile::encodeName(m_home.path()).constData(), kNobody, kNobody), 0);
  }

  // A copy of `built` that the ordinary user can reach, with the capability or root's
  // identity on the file itself when that is how this case lends it.
  QString install(const QString& built) const {
    const QString copy = m_programDir.filePath(QFileInfo(built).fileName());
    EXPECT_TRUE(QFile::copy(built, copy));
    const bool setUserId = GetParam().lent == Lent::SetUserId;
    EXPECT_EQ(::chmod(QFile::encodeName(copy).constData(), setUserId ? 04755 : 0755), 0);
    if (GetParam().lent == Lent::ProgramFile) {
      vfs_cap_data raw{};
      raw.magic_etc = VFS_CAP_REVISION_2 | VFS_CAP_FLAGS_EFFECTIVE;
      raw.data[0].permitted = 1u << CAP_NET_RAW;
      EXPECT_EQ(::setxattr(QFile::encodeName(copy).constData(), "security.capability", &raw,
                           XATTR_CAPS_SZ_2, 0),
                0)
          << "this file system keeps no capabilities";
    }
    return copy;
  }

  // Starts `program` as the ordinary user with only cap_net_raw lent to it.
  void start(QProcess& process, const QString& program, const QStringList& arguments) const {
    QStringList launch{QStringLiteral("--reuid=%1").arg(kNobody),
                       QStringLiteral("--regid=%1").arg(kNobody), QStringLiteral("--clear-groups")};
    if (GetParam().lent == Lent::Ambient)
      launch << QStringLiteral("--inh-caps=+net_raw") << QStringLiteral("--ambient-caps=+net_raw");
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), m_home.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_home.path());
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral("setpriv"),
                  launch << QStringLiteral("--") << program << arguments);
  }

  QTemporaryDir m_programDir;
  QTemporaryDir m_home;
};

TEST_P(LentCapabilityLab, RunsWithoutCapabilitiesAndStillSweepsAndSaysHow) {
  // The list to update is a pipe: the program opens it long after its start, and waits there
  // until the test has read what the running program holds.
  const QString list = m_home.filePath(QStringLiteral("earlier.json"));
  ASSERT_EQ(::mkfifo(QFile::encodeName(list).constData(), 0644), 0);
  const QString program = install(QStringLiteral(VELMARO_CLI_PATH));
  QProcess process;
  start(process, program,
        {QStringLiteral("ping"), QStringLiteral("--prefix"), QStringLiteral("198.18.8"),
         QStringLiteral("--range"), QStringLiteral("3-26"), QStringLiteral("--no-mac"),
         QStringLiteral("--no-nvid"), QStringLiteral("--update-from"), list,
         QStringLiteral("--format"), QStringLiteral("json")});
  int writer = -1;
  for (int tries = 0; writer < 0 && tries < 6000; ++tries) {
    writer = ::open(QFile::encodeName(list).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (writer < 0 && process.waitForFinished(20)) break;
  }
  ASSERT_GE(writer, 0) << "the program never opened its list: "
                       << process.readAllStandardError().toStdString();
  EXPECT_EQ(heldPrivileges(process.processId()), kUserOnly);
  EXPECT_EQ(::write(writer, "[]\n", 3), 3);
  ::close(writer);
  EXPECT_TRUE(process.waitForFinished(120000));

  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
  std::set<QString> found;
  for (const QJsonValue& row : QJsonDocument::fromJson(process.readAllStandardOutput()).array())
    found.insert(row.toObject().value(QStringLiteral("ip")).toString());
  // This client and the unit b1. The range leaves out the other client, whose entry in the
  // neighbour table would change what doctor counts in the next suite.
  EXPECT_EQ(found,
            (std::set<QString>{QStringLiteral("198.18.8.26"), QStringLiteral("198.18.8.3")}));

  QProcess doctor;
  start(doctor, program, {QStringLiteral("doctor")});
  EXPECT_TRUE(doctor.waitForFinished(120000));
  EXPECT_EQ(DoctorText(QString::fromUtf8(doctor.readAllStandardOutput()), QStringLiteral("icmp"))
                .toStdString(),
            GetParam().doctorIcmp);
}

#ifdef VELMARO_WINDOW_PATH
TEST_P(LentCapabilityLab, WindowLoadsItsPluginsWithoutCapabilities) {
  QProcess process;
  start(process, install(QStringLiteral(VELMARO_WINDOW_PATH)), {});
  // The toolkit's platform plugin is loaded once the application exists.
  const QString maps = QStringLiteral("/proc/%1/maps").arg(process.processId());
  bool loaded = false;
  for (int tries = 0; !loaded && tries < 6000; ++tries) {
    QFile file(maps);
    loaded = file.open(QIODevice::ReadOnly) && file.readAll().contains("platforms/libq");
    if (!loaded && process.waitForFinished(20)) break;
  }
  EXPECT_TRUE(loaded) << process.readAllStandardError().toStdString();
  EXPECT_EQ(heldPrivileges(process.processId()), kUserOnly);
  process.kill();
  process.waitForFinished(120000);
}
#endif

INSTANTIATE_TEST_SUITE_P(Lent, LentCapabilityLab, ::testing::ValuesIn(kCases),
                         [](const auto& tested) { return std::string(tested.param.name); });

}  // namespace
}  // namespace velmaro::cli

// The Linux neighbour listing: the command, and the rewriting of iproute2's lines into
// the "address  physical-address  type" layout the neighbour table reads.
#include <gtest/gtest.h>
#include <QProcess>

#include <random>

#include "identify/ArpTable.h"
#include "platform/linux/LinuxBackends.h"
#include "support/Tunables.h"

namespace velmaro::platform::linux_backend {
namespace {

QStringList fieldsOf(const QByteArray& line) {
  return QString::fromLatin1(line).split(u' ', Qt::SkipEmptyParts);
}

// The converted listing as its lines, each checked to end in CR LF.
QList<QByteArray> convertedLines(const QByteArray& listing) {
  const QByteArray out = convertArpListing(listing);
  QList<QByteArray> lines = out.split('\n');
  EXPECT_TRUE(lines.takeLast().isEmpty()) << "the last line has no end";
  for (QByteArray& line : lines) {
    EXPECT_TRUE(line.endsWith('\r')) << line.toStdString();
    line.chop(1);
  }
  return lines;
}

TEST(Neighbours, ListsTheIPv4NeighbourTableWithIproute2) {
  const CommandLine command = arpCommand();
  EXPECT_EQ(command.program, QStringLiteral("ip"));
  EXPECT_EQ(command.arguments,
            (QStringList{QStringLiteral("-4"), QStringLiteral("neigh"), QStringLiteral("show")}));
}

TEST(Neighbours, WritesOneAlignedLinePerEntry) {
  EXPECT_EQ(convertArpListing("198.18.7.21 dev vlab0 lladdr 00:0a:2b:01:80:01 REACHABLE\n"),
            QByteArray("  198.18.7.21           00-0a-2b-01-80-01     dynamic\r\n"));
}

struct EntryCase {
  const char* line;  // as `ip -4 neigh show` prints it
  const char* ip;    // nullptr: no line is written
  const char* mac;
  const char* type;
};

TEST(Neighbours, ConvertsEveryKindOfEntry) {
  const EntryCase cases[] = {
      {"198.18.7.21 dev vlab0 lladdr 00:0a:2b:01:80:01 REACHABLE", "198.18.7.21",
       "00-0a-2b-01-80-01", "dynamic"},
      {"198.18.7.22 dev vlab0 lladdr 00:0a:2b:01:ff:ff STALE ", "198.18.7.22", "00-0a-2b-01-ff-ff",
       "dynamic"},
      {"198.18.7.23 dev vlab0 lladdr 00:0a:2b:02:00:00 DELAY", "198.18.7.23", "00-0a-2b-02-00-00",
       "dynamic"},
      {"198.18.7.24 dev vlab0 lladdr 00:0a:2b:01:90:00 PROBE", "198.18.7.24", "00-0a-2b-01-90-00",
       "dynamic"},
      {"198.18.7.25 dev vlab0 lladdr 00:0a:2b:01:a0:00 PERMANENT", "198.18.7.25",
       "00-0a-2b-01-a0-00", "static"},
      {"224.0.0.22 dev vlab0 lladdr 01:00:5e:00:00:16 NOARP", "224.0.0.22", "01-00-5e-00-00-16",
       "static"},
      {"198.18.7.1 dev vlab0 lladdr 00:1b:21:00:00:01 router REACHABLE", "198.18.7.1",
       "00-1b-21-00-00-01", "dynamic"},
      {"198.18.7.2 dev vlab0 lladdr 00:1b:21:00:00:02 extern_learn proto zebra REACHABLE",
       "198.18.7.2", "00-1b-21-00-00-02", "dynamic"},
      {"198.18.7.3 dev vlab0 lladdr 00:1b:21:00:00:03 ref 1 used 12/7/3 probes 1 STALE",
       "198.18.7.3", "00-1b-21-00-00-03", "dynamic"},
      {"198.18.7.4 dev vlab0 lladdr 0:1b:21:0:0:4 STALE", "198.18.7.4", "00-1b-21-00-00-04",
       "dynamic"},
      {"198.18.7.5\tdev\tvlab0\tlladdr\t00:16:3e:00:00:33\tSTALE", "198.18.7.5",
       "00-16-3e-00-00-33", "dynamic"},
      // no usable address
      {"198.18.7.40 dev vlab0  FAILED", "198.18.7.40", "00-00-00-00-00-00", "invalid"},
      {"198.18.7.41 dev vlab0  INCOMPLETE", "198.18.7.41", "00-00-00-00-00-00", "invalid"},
      {"198.18.7.42 dev vlab0 lladdr 00:1b:21:00:00:42 FAILED", "198.18.7.42", "00-00-00-00-00-00",
       "invalid"},
      {"198.18.7.43 dev vlab0 lladdr 00:1b:21:00:00:43 NONE", "198.18.7.43", "00-00-00-00-00-00",
       "invalid"},
      {"198.18.7.44 dev vlab0 STALE", "198.18.7.44", "00-00-00-00-00-00", "invalid"},
      {"198.18.7.45 dev gre1 lladdr 10.1.1.1 REACHABLE", "198.18.7.45", "00-00-00-00-00-00",
       "invalid"},
      {"198.18.7.46 dev vlab0 lladdr 00:1b:21:00:00:46:: REACHABLE", "198.18.7.46",
       "00-00-00-00-00-00", "invalid"},
      {"198.18.7.47 dev vlab0 lladdr", "198.18.7.47", "00-00-00-00-00-00", "invalid"},
      // link-layer addresses that are not six bytes: nothing the table can show
      {"1.2.3.4 lladdr 0", "1.2.3.4", "00-00-00-00-00-00", "invalid"},
      {"198.18.7.49 dev ib0 lladdr 80:00:00:48:fe:80:00:00:00:00:00:00:00:02:c9:03:00:0a:2b:01 "
       "REACHABLE",
       "198.18.7.49", "00-00-00-00-00-00", "invalid"},
      {"198.18.7.50 dev vlab0 lladdr 00:1b:21:00:00 REACHABLE", "198.18.7.50", "00-00-00-00-00-00",
       "invalid"},
      // a device whose name is a keyword is still a device
      {"198.18.7.48 dev lladdr lladdr 00:1b:21:00:00:48 REACHABLE", "198.18.7.48",
       "00-1b-21-00-00-48", "dynamic"},
      // not IPv4 entries at all
      {"fe80::1 dev vlab0 lladdr 00:1b:21:00:00:01 router STALE", nullptr, nullptr, nullptr},
      {"198.18.7 dev vlab0 lladdr 00:1b:21:00:00:01 STALE", nullptr, nullptr, nullptr},
      {"198.18.7.256 dev vlab0 lladdr 00:1b:21:00:00:01 STALE", nullptr, nullptr, nullptr},
      {"198.18.7.1.5 dev vlab0 lladdr 00:1b:21:00:00:01 STALE", nullptr, nullptr, nullptr},
      {"Cannot open netlink socket: Permission denied", nullptr, nullptr, nullptr},
      {"", nullptr, nullptr, nullptr},
      {"   ", nullptr, nullptr, nullptr},
  };
  for (const EntryCase& c : cases) {
    const QList<QByteArray> lines = convertedLines(QByteArray(c.line) + "\n");
    if (c.ip == nullptr) {
      EXPECT_TRUE(lines.isEmpty()) << c.line;
      continue;
    }
    ASSERT_EQ(lines.size(), 1) << c.line;
    EXPECT_EQ(fieldsOf(lines[0]),
              (QStringList{QString::fromLatin1(c.ip), QString::fromLatin1(c.mac),
                           QString::fromLatin1(c.type)}))
        << c.line;
    // What the table takes from it: the entry exactly when it is usable.
    const auto entry = ParseArpLine(QString::fromLatin1(lines[0]));
    EXPECT_EQ(entry.has_value(), QByteArray(c.type) != "invalid") << c.line;
    if (entry) {
      EXPECT_EQ(entry->mac, QString::fromLatin1(c.mac)) << c.line;
    }
  }
}

TEST(Neighbours, KeepsListingOrderAndTakesCrLfOrNoFinalLineEnd) {
  const QList<QByteArray> lines = convertedLines(
      "198.18.7.31 dev vlab0 lladdr 00:1b:21:00:00:31 REACHABLE\r\n"
      "\r\n"
      "198.18.7.21 dev vlab0 lladdr 00:0a:2b:01:80:01 STALE\r\n"
      "198.18.7.32 dev vlab0 lladdr 00:00:0c:00:00:32 DELAY");
  ASSERT_EQ(lines.size(), 3);
  EXPECT_EQ(fieldsOf(lines[0]).value(0), QStringLiteral("198.18.7.31"));
  EXPECT_EQ(fieldsOf(lines[1]).value(0), QStringLiteral("198.18.7.21"));
  EXPECT_EQ(fieldsOf(lines[2]),
            (QStringList{QStringLiteral("198.18.7.32"), QStringLiteral("00-00-0c-00-00-32"),
                         QStringLiteral("dynamic")}));
}

TEST(Neighbours, SkipsLinesLongerThanAnyEntry) {
  QByteArray longLine = "198.18.7.21 dev vlab0 lladdr 00:0a:2b:01:80:01 REACHABLE";
  longLine += QByteArray(tunables::kMaxArpLine, ' ');
  EXPECT_TRUE(convertedLines(longLine + "\n198.18.7.22 dev vlab0 FAILED\n").size() == 1);
}

TEST(Neighbours, AnyInputGivesOnlyWellFormedLines) {
  const QByteArray base = "198.18.7.21 dev vlab0 lladdr 00:0a:2b:01:80:01 router REACHABLE\n";
  const char alphabet[] = " \t\r\n.:0123456789abcdef";
  std::mt19937 random(8086);
  std::uniform_int_distribution<int> pick(0, sizeof alphabet - 2);
  int written = 0;
  for (int i = 0; i < 5000; ++i) {
    QByteArray listing = base + base;
    for (int e = 0; e < 3; ++e) {
      const auto at = std::uniform_int_distribution<qsizetype>(0, listing.size() - 1)(random);
      listing[at] = alphabet[pick(random)];
    }
    for (const QByteArray& line : convertedLines(listing)) {
      ++written;
      const QStringList fields = fieldsOf(line);
      ASSERT_EQ(fields.size(), 3) << line.toStdString();
      EXPECT_TRUE(fields[2] == u"dynamic" || fields[2] == u"static" || fields[2] == u"invalid");
      EXPECT_EQ(fields[0].count(u'.'), 3);
      // Whatever is written as usable, the table takes.
      EXPECT_EQ(ParseArpLine(QString::fromLatin1(line)).has_value(), fields[2] != u"invalid")
          << line.toStdString();
    }
  }
  EXPECT_GT(written, 5000);
}

TEST(Neighbours, ConvertsThisHostsOwnListing) {
  // Reads the kernel's table only; nothing is sent.
  QProcess ip;
  ip.start(arpCommand().program, arpCommand().arguments);
  if (!ip.waitForFinished(5000) || ip.exitCode() != 0)
    GTEST_SKIP() << "iproute2 is not usable here";
  const QByteArray listing = ip.readAllStandardOutput();
  const QList<QByteArray> lines = convertedLines(listing);
  int entries = 0;
  for (const QByteArray& raw : listing.split('\n')) entries += raw.trimmed().isEmpty() ? 0 : 1;
  EXPECT_EQ(lines.size(), entries);
}

}  // namespace
}  // namespace velmaro::platform::linux_backend

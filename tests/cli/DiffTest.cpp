// Two lists of hosts compared, the watch log folded to its last state, and the files told
// apart: what velmaro-cli diff reads and reports.
#include <gtest/gtest.h>

#include "cli/Conflicts.h"
#include "cli/Formats.h"
#include "cli/HostDiff.h"
#include "cli/WatchLog.h"

namespace velmaro::cli {
namespace {

RowRecord host(const char* ip, const char* mac, const char* name = "", const char* mfg = "") {
  RowRecord r;
  r.cells[0] = QString::fromLatin1(ip);
  r.cells[3] = QString::fromLatin1(mac);
  r.cells[4] = QString::fromLatin1(mfg);
  r.cells[5] = QString::fromLatin1(name);
  return r;
}

// "kind ip" with " before>after" for a change of a value.
QStringList described(const std::vector<HostChange>& changes) {
  QStringList out;
  for (const HostChange& c : changes) {
    QString line = changeKey(c.kind) + u' ' + c.ip;
    if (!c.before.isEmpty() || !c.after.isEmpty()) line += u' ' + c.before + u'>' + c.after;
    out.append(line);
  }
  return out;
}

QStringList lines(std::initializer_list<const char*> texts) {
  QStringList out;
  for (const char* t : texts) out.append(QString::fromLatin1(t));
  return out;
}

TEST(CompareHosts, KeyedByMacElseByAddress) {
  const char* pump = "00-0A-2B-01-80-01";
  const char* pc = "00-1B-21-00-00-31";
  const struct {
    const char* name;
    std::vector<RowRecord> older, newer;
    QStringList expected;
  } cases[] = {
      {"the same", {host("10.0.0.5", pump, "Pump")}, {host("10.0.0.5", pump, "Pump")}, {}},
      {"one added, one removed",
       {host("10.0.0.5", pump)},
       {host("10.0.0.6", pc)},
       lines({"removed 10.0.0.5", "added 10.0.0.6"})},
      {"moved, renamed and another maker at once",
       {host("10.0.0.5", pump, "Pump", "Etherstuff")},
       {host("10.0.0.9", "00:0a:2b:01:80:01", "Pump 2", "Norvikta, Inc")},
       lines({"moved 10.0.0.9 10.0.0.5>10.0.0.9", "renamed 10.0.0.9 Pump>Pump 2",
              "maker 10.0.0.9 Etherstuff>Norvikta, Inc"})},
      {"rows without a MAC are their address",
       {host("10.0.0.7", "---", "A"), host("10.0.0.8", "")},
       {host("10.0.0.7", "", "B"), host("10.0.0.9", "---")},
       lines({"renamed 10.0.0.7 A>B", "removed 10.0.0.8", "added 10.0.0.9"})},
      {"a MAC only one side knows is the host at that address",
       {host("10.0.0.6", "---", "PC")},
       {host("10.0.0.6", pc, "PC")},
       {}},
      {"two replies of one unit are one host",
       {host("10.0.0.5", pump), host("10.0.0.5", pump)},
       {host("10.0.0.5", pump)},
       {}},
      {"one MAC at many addresses pairs by address",
       {host("10.0.0.1", pc), host("10.0.0.2", pc), host("10.0.0.3", pc)},
       {host("10.0.0.1", pc), host("10.0.0.4", pc), host("10.0.0.5", pc)},
       lines({"removed 10.0.0.2", "removed 10.0.0.3", "added 10.0.0.4", "added 10.0.0.5"})},
      {"one address left of such a MAC moved",
       {host("10.0.0.1", pc), host("10.0.0.2", pc)},
       {host("10.0.0.1", pc), host("10.0.0.3", pc)},
       lines({"moved 10.0.0.3 10.0.0.2>10.0.0.3"})},
      {"two units swap addresses",
       {host("10.0.0.5", pump, "A"), host("10.0.0.6", pc, "B")},
       {host("10.0.0.5", pc, "B"), host("10.0.0.6", pump, "A")},
       lines({"moved 10.0.0.5 10.0.0.6>10.0.0.5", "moved 10.0.0.6 10.0.0.5>10.0.0.6"})},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(described(CompareHosts(c.older, c.newer)), c.expected) << c.name;
  }
}

TEST(ParseWatchLog, FoldsTheEventsToTheLastState) {
  const QByteArray pumpNew =
      R"({"time": "2026-12-09T10:00:00Z", "event": "new", "ip": "10.0.0.5", "mac": "00-0A-2B-01-80-01", "mfg": "Norvikta, Inc", "name": "Pump"})";
  const struct {
    const char* name;
    QByteArray log;
    QStringList hosts;  // "ip mac name" of each host present, in first-seen order
  } cases[] = {
      {"new", pumpNew + "\n", lines({"10.0.0.5 00-0A-2B-01-80-01 Pump"})},
      {"moved keeps what the event leaves out, CR LF and blank lines taken",
       pumpNew +
           "\r\n\r\n"
           R"({"event": "moved", "ip": "10.0.0.9", "previous_ip": "10.0.0.5", "mac": "00-0a-2b-01-80-01"})",
       lines({"10.0.0.9 00-0a-2b-01-80-01 Pump"})},
      {"gone",
       pumpNew + "\n" + R"({"event": "gone", "ip": "10.0.0.5", "mac": "00-0A-2B-01-80-01"})",
       {}},
      {"gone then back",
       pumpNew + "\n" + R"({"event": "gone", "ip": "10.0.0.5", "mac": "00-0A-2B-01-80-01"})" +
           "\n" + R"({"event": "back", "ip": "10.0.0.5", "mac": "00-0A-2B-01-80-01"})",
       lines({"10.0.0.5 00-0A-2B-01-80-01 Pump"})},
      {"a conflict puts every MAC it names at its address",
       pumpNew + "\n" +
           R"({"event": "conflict", "ip": "10.0.0.5", "mac": "", "macs": ["00-0A-2B-01-80-01", "00-0A-2B-01-80-02"]})",
       lines({"10.0.0.5 00-0A-2B-01-80-01 Pump", "10.0.0.5 00-0A-2B-01-80-02 "})},
      {"gone of a host never seen", R"({"event": "gone", "ip": "10.0.0.5", "mac": ""})", {}},
  };
  for (const auto& c : cases) {
    const auto parsed = ParseWatchLog(c.log);
    ASSERT_TRUE(std::holds_alternative<std::vector<RowRecord>>(parsed))
        << c.name << ": " << std::get<QString>(parsed).toStdString();
    QStringList hosts;
    for (const RowRecord& r : std::get<std::vector<RowRecord>>(parsed))
      hosts.append(r.cells[0] + u' ' + r.cells[3] + u' ' + r.cells[5]);
    EXPECT_EQ(hosts, c.hosts) << c.name;
  }
}

TEST(ParseHostFile, NamesTheLineOfWhatIsWrong) {
  const QByteArray good = R"({"event": "new", "ip": "10.0.0.5", "mac": "00-0A-2B-01-80-01"})";
  const std::pair<QByteArray, const char*> cases[] = {
      {good + "\n" + R"({"event": "renamed", "ip": "10.0.0.5"})", "line 2: \"event\" is not"},
      {good + "\n\n[1]", "line 3: not an event object"},
      {good + "\n{\"event\": \"new\"", "line 2: not JSON"},
      {R"({"event": "new", "ip": "10.0.0.05"})", "line 1: \"ip\" '10.0.0.05' is not"},
      {R"({"event": "new", "ip": "10.0.0.5", "name": 7})", "line 1: \"name\" is not a string"},
      {R"({"event": "conflict", "ip": "10.0.0.5", "macs": "x"})", "\"macs\" is not an array"},
      {R"({"event": "moved", "ip": "10.0.0.5", "previous_ip": "x"})", "\"previous_ip\" 'x'"},
      {"{" + QByteArray(64 * 1024, ' ') + "}", "line 1: longer than 65536 bytes"},
      {"[{\"ip\": \"10.0.0.1\"},\n {\"ip\": \"10.0.0.1\", \"seen\": \"echo\"}]",
       "row 2 (line 2): \"seen\" is not an array of strings"},
      {"[{\"ip\": \"10.0.0.1\"},\n\n {\"ip\": \"10.0.0.1\",]", "line 3: not JSON"},
      {" \n\t", "empty"},
      {"\n\nip,mac", "line 3: neither a result"},
  };
  for (const auto& [file, message] : cases) {
    const auto parsed = ParseHostFile(file);
    ASSERT_TRUE(std::holds_alternative<QString>(parsed)) << message;
    EXPECT_TRUE(std::get<QString>(parsed).contains(QLatin1String(message)))
        << std::get<QString>(parsed).toStdString();
  }
  const auto result = ParseHostFile("\n [{\"ip\": \"10.0.0.1\", \"seen\": [\"echo\", \"arp\"]}]");
  ASSERT_TRUE(std::holds_alternative<std::vector<RowRecord>>(result));
  EXPECT_EQ(std::get<std::vector<RowRecord>>(result).front().seen, EvidenceSet{Evidence::Echo});
}

RowRecord carded(RowRecord row, const char* card) {
  row.card = ReplyCard{QString::fromLatin1(card), QString()};
  return row;
}

TEST(MarkConflicts, OtherMacsAtTheSameAddress) {
  const struct {
    const char* name;
    std::vector<RowRecord> rows;
    QStringList conflicts;  // each row's, joined by spaces
  } cases[] = {
      {"two units with the factory address",
       {host("192.168.1.100", "00-0A-2B-01-80-01"), host("10.0.0.1", "00-0A-2B-01-80-09"),
        host("192.168.1.100", "00-0A-2B-01-80-02")},
       lines({"00-0A-2B-01-80-02", "", "00-0A-2B-01-80-01"})},
      {"three, one answering twice",
       {host("10.0.0.5", "A0-00-00-00-00-01"), host("10.0.0.5", "A0-00-00-00-00-02"),
        host("10.0.0.5", "a0:00:00:00:00:01"), host("10.0.0.5", "A0-00-00-00-00-03")},
       lines({"A0-00-00-00-00-02 A0-00-00-00-00-03", "A0-00-00-00-00-01 A0-00-00-00-00-03",
              "A0-00-00-00-00-02 A0-00-00-00-00-03", "A0-00-00-00-00-01 A0-00-00-00-00-02"})},
      {"one factory address behind two cards: two LANs",
       {carded(host("192.168.1.100", "A0-00-00-00-00-01"), "eth0"),
        carded(host("192.168.1.100", "A0-00-00-00-00-02"), "eth1"),
        carded(host("192.168.1.100", "A0-00-00-00-00-03"), "eth1")},
       lines({"", "A0-00-00-00-00-03", "A0-00-00-00-00-02"})},
      {"an unknown MAC is no other host",
       {host("10.0.0.5", "A0-00-00-00-00-01"), host("10.0.0.5", "---"), host("10.0.0.5", "")},
       lines({"", "", ""})},
  };
  for (const auto& c : cases) {
    std::vector<RowRecord> rows = c.rows;
    rows[0].conflict = lines({"stale"});
    MarkConflicts(rows);
    QStringList got;
    for (const RowRecord& r : rows) got.append(r.conflict.join(u' '));
    EXPECT_EQ(got, c.conflicts) << c.name;
  }
  EXPECT_EQ(ConflictLines(cases[1].rows),
            lines({"10.0.0.5 is claimed by 3 hosts: A0-00-00-00-00-01, A0-00-00-00-00-02, "
                   "A0-00-00-00-00-03"}));
  EXPECT_EQ(ConflictLines(cases[2].rows),
            lines({"192.168.1.100 on eth1 is claimed by 2 hosts: A0-00-00-00-00-02, "
                   "A0-00-00-00-00-03"}));
}

// The changes in every format, in printable form, with the spreadsheet guard.
TEST(DiffFormats, PrintableAndGuarded) {
  const std::vector<HostChange> changes{{HostChangeKind::Renamed, QStringLiteral("10.0.0.5"),
                                         QStringLiteral("00-0A-2B-01-80-01"),
                                         QStringLiteral("Acme, Inc"), QStringLiteral("=cmd\x1b[2J"),
                                         QStringLiteral("Pump"), QStringLiteral("=cmd\x1b[2J")}};
  EXPECT_EQ(FindOutputFormat(u"table")->diff(changes),
            QStringLiteral("Change   Host IP   MAC                Manufacturer  Title     Before  "
                           "After\n"
                           "renamed  10.0.0.5  00-0A-2B-01-80-01  Acme, Inc     =cmd?[2J  Pump    "
                           "=cmd?[2J\n"));
  EXPECT_EQ(FindOutputFormat(u"csv")->diff(changes),
            QStringLiteral("change,ip,mac,mfg,name,before,after\r\n"
                           "renamed,10.0.0.5,00-0A-2B-01-80-01,\"Acme, Inc\",'=cmd?[2J,Pump,"
                           "'=cmd?[2J\r\n"));
  EXPECT_TRUE(FindOutputFormat(u"json")->diff(changes).contains(
      QStringLiteral("\"before\": \"Pump\", \"after\": \"=cmd\\u001b[2J\"}")));
}

}  // namespace
}  // namespace velmaro::cli

// The list printed as a table, CSV and JSON, and an earlier JSON result read back.
#include <gtest/gtest.h>

#include "cli/Formats.h"
#include "cli/Session.h"

using namespace Qt::StringLiterals;

namespace velmaro::cli {
namespace {

RowRecord row(std::initializer_list<const char*> cells, const char* icon = "") {
  RowRecord r;
  size_t i = 0;
  for (const char* c : cells) r.cells[i++] = QString::fromLatin1(c);
  r.icon = QString::fromLatin1(icon);
  return r;
}

// A row of the address and the title only.
RowRecord titled(const QString& ip, const QString& name = {}) {
  RowRecord r;
  r.cells[0] = ip;
  r.cells[5] = name;
  return r;
}

TEST(FormatTable, CaptionsOverAlignedColumnsWithMarksAndNoControlCharacters) {
  const std::vector<RowRecord> rows{
      row({"198.18.7.21", "80", "---", "00-0A-2B-01-80-01", "Norvikta, Inc", "bell\x07\x1b[2J"},
          "add"),
      row({"198.18.7.2", "", "1 ms", "", "", "LOCALHOST"}, "remove"), row({"10.0.0.3"})};
  EXPECT_EQ(FormatTable(rows),
            QStringLiteral(
                "  Host IP      HTTP Port  Ping (ms)  MAC                Manufacturer   Title\n"
                "+ 198.18.7.21  80         ---        00-0A-2B-01-80-01  Norvikta, Inc  bell??[2J\n"
                "- 198.18.7.2              1 ms                                         LOCALHOST\n"
                "  10.0.0.3\n"));
}

TEST(FormatCsv, QuotesWhatRfc4180AsksFor) {
  const std::vector<RowRecord> rows{
      row({"10.0.0.1", "80", "1 ms", "", "Acme, Inc", "say \"hi\"\r\nthere"}, "add")};
  EXPECT_EQ(FormatCsv(rows),
            QStringLiteral("ip,httpport,ping,mac,mfg,name,icon\r\n"
                           "10.0.0.1,80,1 ms,,\"Acme, Inc\",\"say \"\"hi\"\"\r\nthere\",add\r\n"));
}

TEST(FormatJson, EveryValueAStringInColumnOrderAndReadBackAsItWas) {
  const std::vector<RowRecord> rows{
      row({"10.0.0.1", "", "", "", "", "a\"b\\c\x01\td"}, "remove"),
      row({"10.0.0.9", "", "2 ms", "---", "---", "\xe9t\xe9"}, "add")};
  const QString json = FormatJson(rows);
  EXPECT_TRUE(json.startsWith(QStringLiteral(
      "[\n  {\"ip\": \"10.0.0.1\", \"httpport\": \"\", \"ping\": \"\", \"mac\": \"\", "
      "\"mfg\": \"\", \"name\": \"a\\\"b\\\\c\\u0001\\td\", \"icon\": \"remove\", "
      "\"seen\": []},\n")))
      << json.toStdString();
  const auto parsed = ParseJsonRows(json.toUtf8());
  ASSERT_TRUE(std::holds_alternative<std::vector<RowRecord>>(parsed))
      << std::get<QString>(parsed).toStdString();
  EXPECT_TRUE(std::get<std::vector<RowRecord>>(parsed) == rows);
  EXPECT_EQ(FormatJson({}), QStringLiteral("[]\n"));
}

QByteArray manyRows(int count) {
  QByteArray json = "[";
  for (int i = 0; i < count; ++i) json += i ? ",{}" : "{}";
  return json + "]";
}

TEST(ParseJsonRows, SaysWhatIsWrong) {
  const std::pair<QByteArray, const char*> cases[] = {
      {"[{\"ip\": \"1\"}", "not JSON"},
      {"{\"ip\": \"10.0.0.1\"}", "not an array"},
      {"[{\"ip\": \"10.0.0.1\"}, {\"name\": \"x\"}]", "row 2 (line 1): no \"ip\""},
      {"[{\"ip\": \"10.0.0.1\", \"ping\": 12}]", "row 1 (line 1): \"ping\" is not a string"},
      {"[{\"ip\": \"10.0.0.1\", \"icon\": \"new\"}]", "row 1 (line 1): \"icon\" is not"},
      // The name stage requests the row's address: only an address as the program writes it.
      {"[{\"ip\": \"127.0.0.1:8081/steered#\"}]",
       "row 1 (line 1): \"ip\" '127.0.0.1:8081/steered#' is not"},
      {"[{\"ip\": \"10.0.0.1\"}, {\"ip\": \"printer.example\"}]",
       "row 2 (line 1): \"ip\" 'printer"},
      {"[{\"ip\": \"010.0.0.1\"}]", "is not a dotted IPv4"},
      {"[{\"ip\": \" 10.0.0.1\"}]", "is not a dotted IPv4"},
      {"[{\"ip\": \"10.0.0.256\"}]", "is not a dotted IPv4"},
      {"[{\"ip\": \"\\u001b[2J10.0.0.1\"}]", "'?[2J10.0.0.1' is not"},
      {manyRows(65537), "more than 65536 rows"},
      {QByteArray(16 * 1024 * 1024 + 1, ' '), "larger than"},
  };
  for (const auto& [json, message] : cases) {
    const auto parsed = ParseJsonRows(json);
    ASSERT_TRUE(std::holds_alternative<QString>(parsed)) << message;
    EXPECT_TRUE(std::get<QString>(parsed).contains(QLatin1String(message)))
        << std::get<QString>(parsed).toStdString();
  }
}

// A scan on every card: JSON names each row's card and reach; --wide adds both as columns.
TEST(FormatWide, CardAndReachInJsonAndAsWideColumns) {
  std::vector<RowRecord> rows{row({"10.0.0.1", "80", "---", "", "", "U"}),
                              row({"192.168.1.9", "80", "---", "", "", "V"})};
  rows[0].card = ReplyCard{QStringLiteral("eth0"), QString()};
  rows[1].card = ReplyCard{QStringLiteral("eth1"), QStringLiteral("add it, \"now\"")};
  EXPECT_TRUE(FormatJson(rows).contains(QStringLiteral(
      "\"icon\": \"\", \"interface\": \"eth1\", \"unreachable\": \"add it, \\\"now\\\"\", "
      "\"seen\": []}")))
      << FormatJson(rows).toStdString();
  EXPECT_EQ(FormatCsv(rows, true).section(QStringLiteral("\r\n"), 2, 2),
            QStringLiteral("192.168.1.9,80,---,,,V,,eth1,\"add it, \"\"now\"\"\",,"));
  EXPECT_TRUE(FormatCsv(rows, true)
                  .startsWith(u"ip,httpport,ping,mac,mfg,name,icon,interface,unreachable,seen,"
                              u"conflict\r\n"));
  EXPECT_EQ(
      FormatTable(rows, true).section(u'\n', 0, 0),
      QStringLiteral(
          "Host IP      HTTP Port  Ping (ms)  MAC  Manufacturer  Title  interface  unreachable    "
          "seen  conflict"));
  EXPECT_EQ(FormatTable(rows),
            FormatTable(std::vector<RowRecord>{row({"10.0.0.1", "80", "---", "", "", "U"}),
                                               row({"192.168.1.9", "80", "---", "", "", "V"})}));
}

// What answered and the other claims on an address: JSON arrays, words in the wide columns,
// read back as written; a file of an older version, without them, still reads.
TEST(FormatWide, SeenAndConflict) {
  std::vector<RowRecord> rows{row({"10.0.0.5", "80", "---", "00-0A-2B-01-80-01", "", "U"}),
                              row({"10.0.0.6", "", "1 ms", "00-1B-21-00-00-31", "", "PC"})};
  rows[0].seen = EvidenceSet{Evidence::Query};
  rows[0].conflict = QStringList{QStringLiteral("00-0A-2B-01-80-02"), QStringLiteral("=x")};
  rows[1].seen = EvidenceSet{Evidence::Page, Evidence::Echo, Evidence::Neighbours};
  const QString json = FormatJson(rows);
  EXPECT_TRUE(json.contains(QStringLiteral(
      "\"icon\": \"\", \"seen\": [\"query\"], \"conflict\": [\"00-0A-2B-01-80-02\", \"=x\"]},\n")))
      << json.toStdString();
  EXPECT_TRUE(json.contains(QStringLiteral("\"seen\": [\"echo\", \"neighbours\", \"page\"]}\n")));
  const auto back = ParseJsonRows(json.toUtf8());
  ASSERT_TRUE(std::holds_alternative<std::vector<RowRecord>>(back));
  EXPECT_TRUE(std::get<std::vector<RowRecord>>(back) == rows);
  EXPECT_EQ(FormatCsv(rows, true).section(QStringLiteral("\r\n"), 1, 2),
            QStringLiteral("10.0.0.5,80,---,00-0A-2B-01-80-01,,U,,,,query,00-0A-2B-01-80-02 =x\r\n"
                           "10.0.0.6,,1 ms,00-1B-21-00-00-31,,PC,,,,echo neighbours page,"));
  const auto older = ParseJsonRows(R"([{"ip": "10.0.0.5", "name": "U"}])");
  ASSERT_TRUE(std::holds_alternative<std::vector<RowRecord>>(older));
  EXPECT_TRUE(std::get<std::vector<RowRecord>>(older).front() == titled(u"10.0.0.5"_s, u"U"_s));
}

// Cells a spreadsheet would run, and controls other than TAB, CR and LF, never reach it.
TEST(FormatCsv, NoFormulaAndNoControlCharacterInACell) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"=HYPERLINK(\"http://x\",\"y\")", u"\"'=HYPERLINK(\"\"http://x\"\",\"\"y\"\")\""},
      {u"+1", u"'+1"},
      {u"-2+3", u"'-2+3"},
      {u"@SUM(A1)", u"'@SUM(A1)"},
      {u"\tx", u"'\tx"},
      {u"\rx", u"\"'\rx\""},
      {u"---", u"---"},
      {u"a=b-c", u"a=b-c"},
      {u"x\ty\r\nz", u"\"x\ty\r\nz\""},
      {u"\x1b[2J\x7f\x9b"
       u"31m\x85",
       u"?[2J??31m?"},
      {u"\x1b=1", u"?=1"},
  };
  for (const auto& [cell, field] : cases) {
    EXPECT_EQ(FormatCsv({titled(QString::fromUtf16(cell))}).section(QStringLiteral("\r\n"), 1),
              QString::fromUtf16(field) + QStringLiteral(",,,,,,\r\n"))
        << QString::fromUtf16(cell).toStdString();
  }
}

// DEL and the C1 controls (U+009B alone starts an escape sequence) are escaped like C0, and
// a lone surrogate (which has no UTF-8 form) too, so every name reads back as it was.
TEST(FormatJson, EscapesEveryControlCharacter) {
  const std::pair<const char16_t*, const char16_t*> cases[] = {
      {u"\x1b[2J", u"\\u001b[2J"},
      {u"\x7f", u"\\u007f"},
      {u"\x80", u"\\u0080"},
      {u"\x9b"
       u"2J",
       u"\\u009b2J"},
      {u"\x9f", u"\\u009f"},
      {u"\xa0\xe9", u"\xa0\xe9"},
      {u"\xd800x\xdc00", u"\\ud800x\\udc00"},
      {u"\u202e", u"\\u202e"},
      {u"\r\n\t", u"\\r\\n\\t"},
  };
  for (const auto& [name, escaped] : cases) {
    const RowRecord record = titled(QStringLiteral("10.0.0.1"), QString::fromUtf16(name));
    EXPECT_TRUE(FormatJson({record}).contains(QStringLiteral("\"name\": \"") +
                                              QString::fromUtf16(escaped) + u'"'))
        << FormatJson({record}).toStdString();
    const auto back = ParseJsonRows(FormatJson({record}).toUtf8());
    ASSERT_TRUE(std::holds_alternative<std::vector<RowRecord>>(back));
    EXPECT_TRUE(std::get<std::vector<RowRecord>>(back).front() == record);
  }
}

// Every edge to a terminal shows controls as "?": the table, the doctor's table, and the
// lines on standard error (progress quotes rows read from a file, refusals a file's bytes).
TEST(PrintableEdges, ControlsShowAsQuestionMarks) {
  const QString hostile = QStringLiteral(
      "a\x1b]0;owned\x07\x9b"
      "2J\x7f\u202ez");
  const QString shown = QStringLiteral("a?]0;owned??2J??z");
  const std::vector<DoctorLine> doctor{FixLine(QStringLiteral("tunnels"), false, hostile)};
  const std::pair<QString, QString> cases[] = {
      {FormatTable({titled(hostile)}).section(u'\n', 1, 1), shown},
      {OutputFormats().front().doctor(doctor), QStringLiteral("tunnels  ") + shown + u'\n'},
      {ErrorLine(QStringLiteral("Testing ") + hostile),
       QStringLiteral("velmaro-cli: Testing ") + shown + u'\n'},
  };
  for (const auto& [printed, expected] : cases) EXPECT_EQ(printed, expected);
}

}  // namespace
}  // namespace velmaro::cli

// The list printed as a table, CSV and JSON, and an earlier JSON result read back.
#include <gtest/gtest.h>

#include "cli/Formats.h"

namespace velmaro::cli {
namespace {

RowRecord row(std::initializer_list<const char*> cells, const char* icon = "") {
  RowRecord r;
  size_t i = 0;
  for (const char* c : cells) r.cells[i++] = QString::fromLatin1(c);
  r.icon = QString::fromLatin1(icon);
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
      "\"mfg\": \"\", \"name\": \"a\\\"b\\\\c\\u0001\\td\", \"icon\": \"remove\"},\n")))
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
      {"[{\"ip\": \"a\"}, {\"name\": \"x\"}]", "row 2: no \"ip\""},
      {"[{\"ip\": \"a\", \"ping\": 12}]", "row 1: \"ping\" is not a string"},
      {"[{\"ip\": \"a\", \"icon\": \"new\"}]", "row 1: \"icon\" is not"},
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
      "\"icon\": \"\", \"interface\": \"eth1\", \"unreachable\": \"add it, \\\"now\\\"\"}")))
      << FormatJson(rows).toStdString();
  EXPECT_EQ(FormatCsv(rows, true).section(QStringLiteral("\r\n"), 2, 2),
            QStringLiteral("192.168.1.9,80,---,,,V,,eth1,\"add it, \"\"now\"\"\""));
  EXPECT_TRUE(FormatCsv(rows, true)
                  .startsWith(u"ip,httpport,ping,mac,mfg,name,icon,interface,unreachable\r\n"));
  EXPECT_EQ(
      FormatTable(rows, true).section(u'\n', 0, 0),
      QStringLiteral(
          "Host IP      HTTP Port  Ping (ms)  MAC  Manufacturer  Title  interface  unreachable"));
  EXPECT_EQ(FormatTable(rows),
            FormatTable(std::vector<RowRecord>{row({"10.0.0.1", "80", "---", "", "", "U"}),
                                               row({"192.168.1.9", "80", "---", "", "", "V"})}));
}

}  // namespace
}  // namespace velmaro::cli

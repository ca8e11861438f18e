// The list printed as a table, CSV and JSON, and an earlier JSON result read back.
#include <gtest/gtest.h>

#include <ostream>

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

const std::vector<RowRecord> kRows{
    row({"198.18.7.21", "80", "---", "00-0A-2B-01-80-01", "Norvikta, Inc", "NV-CAM-1000 Front door"}),
    row({"198.18.7.2", "", "1 ms", "02-00-C6-12-07-02", "", "LOCALHOST"}),
};

TEST(FormatTable, CaptionsOverAlignedColumns) {
  EXPECT_EQ(FormatTable(kRows),
            QStringLiteral(
                "Host IP      HTTP Port  Ping (ms)  MAC                Manufacturer   Title\n"
                "198.18.7.21  80         ---        00-0A-2B-01-80-01  Norvikta, Inc  NV-CAM-1000 Front door\n"
                "198.18.7.2              1 ms       02-00-C6-12-07-02                 LOCALHOST\n"));
}

TEST(FormatTable, MarksChangesAndMasksControlCharacters) {
  const std::vector<RowRecord> rows{row({"10.0.0.1", "", "", "", "", "bell\x07\x1b[2J"}, "add"),
                                    row({"10.0.0.2", "", "???", "", "", "???"}, "remove"),
                                    row({"10.0.0.3", "", "", "", "", ""})};
  EXPECT_EQ(FormatTable(rows),
            QStringLiteral("  Host IP   HTTP Port  Ping (ms)  MAC  Manufacturer  Title\n"
                           "+ 10.0.0.1                                           bell??[2J\n"
                           "- 10.0.0.2             ???                           ???\n"
                           "  10.0.0.3\n"));
}

TEST(FormatCsv, QuotesWhatRfc4180AsksFor) {
  const std::vector<RowRecord> rows{row({"10.0.0.1", "80", "1 ms", "", "Acme, Inc", "say \"hi\"\r\nthere"}, "add")};
  EXPECT_EQ(FormatCsv(rows), QStringLiteral("ip,httpport,ping,mac,mfg,name,icon\r\n"
                                            "10.0.0.1,80,1 ms,,\"Acme, Inc\",\"say \"\"hi\"\"\r\nthere\",add\r\n"));
  EXPECT_EQ(FormatCsv({}), QStringLiteral("ip,httpport,ping,mac,mfg,name,icon\r\n"));
}

TEST(FormatJson, EveryValueAStringInColumnOrder) {
  const std::vector<RowRecord> rows{row({"10.0.0.1", "", "", "", "", "a\"b\\c\x01\td"}, "remove")};
  EXPECT_EQ(FormatJson(rows),
            QStringLiteral("[\n  {\"ip\": \"10.0.0.1\", \"httpport\": \"\", \"ping\": \"\", \"mac\": \"\", "
                           "\"mfg\": \"\", \"name\": \"a\\\"b\\\\c\\u0001\\td\", \"icon\": \"remove\"}\n]\n"));
  EXPECT_EQ(FormatJson({}), QStringLiteral("[]\n"));
}

TEST(ParseJsonRows, ReadsBackWhatWasPrinted) {
  std::vector<RowRecord> rows = kRows;
  rows.push_back(row({"10.0.0.9", "", "???", "---", "---", "\xe9t\xe9 \"x\"\n\x01"}, "remove"));
  rows.push_back(row({"10.0.0.8", "", "2 ms", "", "", "???"}, "add"));
  const auto parsed = ParseJsonRows(FormatJson(rows).toUtf8());
  ASSERT_TRUE(std::holds_alternative<std::vector<RowRecord>>(parsed)) << std::get<QString>(parsed).toStdString();
  EXPECT_TRUE(std::get<std::vector<RowRecord>>(parsed) == rows);
}

TEST(ParseJsonRows, MissingCellsAreEmptyAndOtherKeysIgnored) {
  const auto parsed = ParseJsonRows(R"([{"ip": "10.0.0.1", "note": 5}])");
  ASSERT_TRUE(std::holds_alternative<std::vector<RowRecord>>(parsed));
  EXPECT_TRUE(std::get<std::vector<RowRecord>>(parsed) == std::vector<RowRecord>{row({"10.0.0.1"})});
}

struct BadJson {
  QByteArray json;
  const char* message;
};
void PrintTo(const BadJson& c, std::ostream* os) { *os << c.json.left(40).toStdString(); }

class ParseJsonRowsBadTest : public ::testing::TestWithParam<BadJson> {};

TEST_P(ParseJsonRowsBadTest, SaysWhatIsWrong) {
  const auto parsed = ParseJsonRows(GetParam().json);
  ASSERT_TRUE(std::holds_alternative<QString>(parsed));
  EXPECT_TRUE(std::get<QString>(parsed).contains(QLatin1String(GetParam().message)))
      << std::get<QString>(parsed).toStdString();
}

QByteArray manyRows(int count) {
  QByteArray json = "[";
  for (int i = 0; i < count; ++i) json += i ? ",{}" : "{}";
  return json + "]";
}

INSTANTIATE_TEST_SUITE_P(
    Files, ParseJsonRowsBadTest,
    ::testing::Values(BadJson{"", "not JSON"}, BadJson{"[{\"ip\": \"1\"}", "not JSON"},
                      BadJson{"{\"ip\": \"10.0.0.1\"}", "not an array"},
                      BadJson{"[\"10.0.0.1\"]", "row 1: not an object"},
                      BadJson{"[{\"ip\": \"a\"}, {\"name\": \"x\"}]", "row 2: no \"ip\""},
                      BadJson{"[{\"ip\": \"a\", \"ping\": 12}]", "row 1: \"ping\" is not a string"},
                      BadJson{"[{\"ip\": null}]", "row 1: \"ip\" is not a string"},
                      BadJson{"[{\"ip\": \"a\", \"icon\": \"new\"}]", "row 1: \"icon\" is not"},
                      BadJson{manyRows(65537), "more than 65536 rows"},
                      BadJson{QByteArray(16 * 1024 * 1024 + 1, ' '), "larger than"}));

}  // namespace
}  // namespace velmaro::cli

// The command line read into box texts and check states, and every line it refuses.
#include <gtest/gtest.h>

#include <ostream>

#include "cli/Options.h"

namespace velmaro::cli {
namespace {

QStringList words(std::initializer_list<const char*> list) {
  QStringList out;
  for (const char* w : list) out.append(QString::fromLatin1(w));
  return out;
}

struct GoodCase {
  const char* name;
  QStringList arguments;
  Options expected;
};
void PrintTo(const GoodCase& c, std::ostream* os) { *os << c.name; }

Options command(Command c) {
  Options o;
  o.command = c;
  if (c == Command::Ping) o.checks[CheckBox::UpdateOnly] = 0;
  return o;
}

std::vector<GoodCase> goodCases() {
  std::vector<GoodCase> cases;
  cases.push_back({"BareScan", words({"scan"}), command(Command::Scan)});
  Options scan = command(Command::Scan);
  scan.listenMs = 500;
  scan.checks[CheckBox::ParseARP] = 0;
  scan.format = OutputFormat::Csv;
  cases.push_back({"ScanOptions", words({"scan", "--listen", "500", "--no-mac", "--format=csv"}), scan});
  cases.push_back({"BarePingIsAFreshList", words({"ping"}), command(Command::Ping)});
  Options ping = command(Command::Ping);
  ping.texts = {{TextBox::IP0, QStringLiteral("10")},     {TextBox::IP1, QStringLiteral("1")},
                {TextBox::IP2, QStringLiteral("2")},      {TextBox::IPScan, QStringLiteral("5-9")},
                {TextBox::PingTO, QStringLiteral("750")}, {TextBox::HTTPPort, QStringLiteral("8080")}};
  ping.checks[CheckBox::ParseNVIDs] = 0;
  ping.checks[CheckBox::ParseGenIDs] = 1;
  ping.format = OutputFormat::Json;
  cases.push_back({"PingOptions",
                   words({"ping", "--prefix", "10.1.2", "--range=5-9", "--timeout", "750", "--port",
                          "8080", "--no-nvid", "--genid", "--format", "json"}),
                   ping});
  // The boxes' own rules come later: an empty range gets the range message, not a usage error.
  Options emptyRange = command(Command::Ping);
  emptyRange.texts[TextBox::IPScan] = QString();
  cases.push_back({"EmptyRangeIsLeftToTheSweep", words({"ping", "--range", ""}), emptyRange});
  Options update = command(Command::Ping);
  update.checks[CheckBox::UpdateOnly] = 1;
  update.updateFrom = QStringLiteral("old.json");
  cases.push_back({"UpdateFromChecksUpdateOnly", words({"ping", "--update-from", "old.json"}), update});
  Options identify = command(Command::Identify);
  identify.host = QStringLiteral("198.18.7.21");
  identify.texts[TextBox::HTTPPort] = QStringLiteral("8080");
  cases.push_back({"Identify", words({"identify", "198.18.7.21", "--port", "8080"}), identify});
  identify.texts.clear();
  cases.push_back({"IdentifyAfterDoubleDash", words({"identify", "--", "198.18.7.21"}), identify});
  cases.push_back({"Version", words({"--version"}), command(Command::Version)});
  cases.push_back({"Help", words({"--help", "anything"}), command(Command::Help)});
  cases.push_back({"CommandHelp", words({"scan", "--listen", "5", "--help"}), [] {
                     Options o = command(Command::Help);
                     o.listenMs = 5;
                     return o;
                   }()});
  return cases;
}

class OptionsGoodTest : public ::testing::TestWithParam<GoodCase> {};

TEST_P(OptionsGoodTest, ReadsWhatTheBoxesWouldHold) {
  const auto parsed = ParseOptions(GetParam().arguments);
  ASSERT_TRUE(std::holds_alternative<Options>(parsed))
      << std::get<UsageError>(parsed).message.toStdString();
  EXPECT_TRUE(std::get<Options>(parsed) == GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Lines, OptionsGoodTest, ::testing::ValuesIn(goodCases()),
                         [](const ::testing::TestParamInfo<GoodCase>& tested) { return std::string(tested.param.name); });

struct BadCase {
  QStringList arguments;
  const char* message;  // a part of the one-line message
};
void PrintTo(const BadCase& c, std::ostream* os) { *os << c.arguments.join(u' ').left(60).toStdString(); }

std::vector<BadCase> badCases() {
  return {
      {{}, "no command given"},
      {words({"sweep"}), "unknown command 'sweep'"},
      {words({"scan", "--range", "1-2"}), "scan has no option '--range'"},
      {words({"identify", "1.2.3.4", "--no-mac"}), "identify has no option '--no-mac'"},
      {words({"scan", "--listen"}), "--listen needs a value"},
      {words({"scan", "--listen", "-5"}), "--listen takes whole milliseconds"},
      {words({"scan", "--listen", "1e3"}), "--listen takes whole milliseconds"},
      {words({"scan", "--listen", ""}), "--listen takes whole milliseconds"},
      {words({"scan", "--listen", "3600001"}), "--listen takes whole milliseconds"},
      {words({"scan", "--listen", "99999999999999999999999"}), "--listen takes whole milliseconds"},
      {words({"scan", "--no-mac=1"}), "--no-mac takes no value"},
      {words({"scan", "--format", "xml"}), "--format is one of table, csv, json"},
      {words({"ping", "--prefix", "10.1"}), "--prefix takes the first three octets"},
      {words({"ping", "--prefix", "1000.1.1"}), "--prefix takes at most 3 characters"},
      {words({"ping", "--range", "001-0254"}), "--range takes at most 7 characters"},
      {words({"ping", "--port", "123456"}), "--port takes at most 5 characters"},
      {words({"ping", "--update-from="}), "--update-from needs a file"},
      {words({"ping", "extra"}), "unexpected argument 'extra'"},
      {words({"identify"}), "identify takes one HOST"},
      {words({"identify", "1.2.3.4", "5.6.7.8"}), "identify takes one HOST"},
      {words({"identify", "unit.example"}), "is not a dotted IPv4 address"},
      {words({"identify", "1.2.3.256"}), "is not a dotted IPv4 address"},
      {words({"--version", "scan"}), "--version takes nothing more"},
      {QStringList(65, QStringLiteral("scan")), "more than 64 arguments"},
      {{QStringLiteral("scan"), QString(4097, u'x')}, "longer than 4096 characters"},
      // What a message quotes never carries a terminal's control sequence.
      {{QStringLiteral("\x1b]0;owned\x07")}, "unknown command '?]0;owned?'"},
  };
}

class OptionsBadTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(OptionsBadTest, RefusesWithOneLine) {
  const auto parsed = ParseOptions(GetParam().arguments);
  ASSERT_TRUE(std::holds_alternative<UsageError>(parsed));
  const QString message = std::get<UsageError>(parsed).message;
  EXPECT_TRUE(message.contains(QLatin1String(GetParam().message))) << message.toStdString();
  EXPECT_FALSE(message.contains(u'\n'));
}

INSTANTIATE_TEST_SUITE_P(Lines, OptionsBadTest, ::testing::ValuesIn(badCases()));

}  // namespace
}  // namespace velmaro::cli

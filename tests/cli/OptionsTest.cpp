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

Options command(Command c, std::map<TextBox, QString> texts = {},
                std::map<CheckBox, int> checks = {}) {
  Options o;
  o.command = c;
  o.texts = std::move(texts);
  o.checks = std::move(checks);
  return o;
}

TEST(ParseOptions, ReadsWhatTheBoxesWouldHold) {
  Options scan = command(Command::Scan, {}, {{CheckBox::ParseARP, 0}});
  scan.listenMs = 500;
  scan.format = FindOutputFormat(u"csv");
  Options ping =
      command(Command::Ping,
              {{TextBox::IP0, QStringLiteral("10")},
               {TextBox::IP1, QStringLiteral("1")},
               {TextBox::IP2, QStringLiteral("2")},
               {TextBox::IPScan, QString()},
               {TextBox::PingTO, QStringLiteral("750")},
               {TextBox::HTTPPort, QStringLiteral("8080")}},
              {{CheckBox::UpdateOnly, 0}, {CheckBox::ParseNVIDs, 0}, {CheckBox::ParseGenIDs, 1}});
  ping.format = FindOutputFormat(u"json");
  Options update = command(Command::Ping, {}, {{CheckBox::UpdateOnly, 1}});
  update.updateFrom = QStringLiteral("old.json");
  Options identify = command(Command::Identify);
  identify.hosts = QStringList{QStringLiteral("198.18.7.21")};
  Options fast = command(Command::Ping, {}, {{CheckBox::UpdateOnly, 0}});
  fast.fast = true;
  fast.targets = TargetList{{{0x0A01'0001u, 0x0A01'03FEu}}};
  fast.rate = 1000;
  Options fastIdentify = command(Command::Identify);
  fastIdentify.fast = true;
  fastIdentify.hosts = QStringList{QStringLiteral("1.2.3.4"), QStringLiteral("5.6.7.8")};
  Options everyCard = command(Command::Scan);
  everyCard.allInterfaces = everyCard.wide = true;
  Options doctor = command(Command::Doctor);
  doctor.probe = true;
  doctor.listenMs = 300;
  doctor.format = FindOutputFormat(u"json");
  Options wideSweep = command(Command::Ping, {}, {{CheckBox::UpdateOnly, 0}});
  wideSweep.wide = true;
  Options diff = command(Command::Diff);
  diff.files = words({"last.json", "-today.json"});
  diff.format = FindOutputFormat(u"csv");
  Options watch = command(Command::Watch, {{TextBox::HTTPPort, QStringLiteral("8080")}},
                          {{CheckBox::ParseARP, 1}});
  watch.intervalS = 5;
  watch.jsonLines = watch.allInterfaces = true;
  Options import = command(Command::VendorsImport);
  import.registryFile = QStringLiteral("oui.csv");
  const std::pair<QStringList, Options> cases[] = {
      {words({"scan"}), command(Command::Scan)},
      {words({"scan", "--listen", "500", "--no-mac", "--format=csv"}), scan},
      // A sweep from the command line is a fresh list; an empty range is left to the sweep.
      {words({"ping"}), command(Command::Ping, {}, {{CheckBox::UpdateOnly, 0}})},
      {words({"ping", "--prefix", "10.1.2", "--range=", "--timeout", "750", "--port", "8080",
              "--no-nvid", "--genid", "--format", "json"}),
       ping},
      {words({"ping", "--update-from", "old.json"}), update},
      {words({"identify", "--", "198.18.7.21"}), identify},
      {words({"ping", "--fast", "--targets", "10.1.0.0/22", "--rate=1000"}), fast},
      {words({"identify", "1.2.3.4", "--fast", "5.6.7.8"}), fastIdentify},
      {words({"--version"}), command(Command::Version)},
      {words({"scan", "--help", "--listen"}), command(Command::Help)},
      {words({"scan", "--all-interfaces", "--wide"}), everyCard},
      {words({"doctor", "--probe", "--listen=300", "--format", "json"}), doctor},
      {words({"vendors"}), command(Command::Vendors)},
      {words({"vendors", "import", "oui.csv"}), import},
      {words({"ping", "--wide"}), wideSweep},
      {words({"diff", "last.json", "--format=csv", "--", "-today.json"}), diff},
      {words(
           {"watch", "--interval", "5", "--all-interfaces", "--port", "8080", "--format", "jsonl"}),
       watch},
  };
  for (const auto& [arguments, expected] : cases) {
    const auto parsed = ParseOptions(arguments);
    ASSERT_TRUE(std::holds_alternative<Options>(parsed))
        << std::get<UsageError>(parsed).message.toStdString();
    EXPECT_TRUE(std::get<Options>(parsed) == expected) << arguments.join(u' ').toStdString();
  }
}

struct BadCase {
  QStringList arguments;
  const char* message;  // a part of the one-line message
};
void PrintTo(const BadCase& c, std::ostream* os) {
  *os << c.arguments.join(u' ').left(60).toStdString();
}

class OptionsBadTest : public ::testing::TestWithParam<BadCase> {};

TEST_P(OptionsBadTest, RefusesWithOneLine) {
  const auto parsed = ParseOptions(GetParam().arguments);
  ASSERT_TRUE(std::holds_alternative<UsageError>(parsed));
  const QString message = std::get<UsageError>(parsed).message;
  EXPECT_TRUE(message.contains(QLatin1String(GetParam().message))) << message.toStdString();
  EXPECT_FALSE(message.contains(u'\n'));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, OptionsBadTest,
    ::testing::Values(
        BadCase{{}, "no command given"}, BadCase{words({"sweep"}), "unknown command 'sweep'"},
        BadCase{words({"scan", "--range", "1-2"}), "scan has no option '--range'"},
        BadCase{words({"scan", "--listen", "1e3"}), "--listen takes whole milliseconds"},
        BadCase{words({"scan", "--listen", "99999999999999999999999"}),
                "--listen takes whole milliseconds"},
        BadCase{words({"scan", "--no-mac=1"}), "--no-mac takes no value"},
        BadCase{words({"scan", "--listen"}), "--listen needs a value"},
        BadCase{words({"scan", "--format", "xml"}), "--format is one of table, csv, json"},
        BadCase{words({"ping", "--prefix", "10.1"}), "--prefix takes the first three octets"},
        BadCase{words({"ping", "--prefix", "1000.1.1"}), "--prefix takes at most 3 characters"},
        BadCase{words({"ping", "--range", "001-0254"}), "--range takes at most 7 characters"},
        BadCase{words({"ping", "extra"}), "unexpected argument 'extra'"},
        BadCase{words({"identify", "--fast"}), "identify takes a HOST"},
        BadCase{words({"identify", "1.2.3.4", "5.6.7.x"}), "HOST '5.6.7.x' is not a dotted"},
        BadCase{words({"ping", "--targets", "10.1.2.3"}), "--targets and --rate go with --fast"},
        BadCase{words({"ping", "--rate", "250"}), "--targets and --rate go with --fast"},
        BadCase{words({"ping", "--fast", "--rate", "0"}), "--rate takes whole requests a second"},
        BadCase{words({"ping", "--fast", "--rate", "1e3"}), "--rate takes a whole number"},
        BadCase{words({"ping", "--fast", "--targets", "10.0.0.0/8"}),
                "--targets: \"10.0.0.0/8\" is larger than a /16"},
        BadCase{words({"ping", "--fast", "--targets", "10.1.2.3", "--range", "1-5"}),
                "--targets replaces --prefix and --range"},
        BadCase{words({"identify", "1.2.3.256"}), "is not a dotted IPv4 address"},
        BadCase{words({"vendors", "import"}), "vendors takes nothing, or import FILE"},
        BadCase{words({"vendors", "remove", "x"}), "vendors takes nothing, or import FILE"},
        BadCase{words({"vendors", "--format", "json"}), "vendors has no option '--format'"},
        BadCase{words({"doctor", "--wide"}), "doctor has no option '--wide'"},
        BadCase{words({"ping", "--all-interfaces"}), "ping has no option '--all-interfaces'"},
        BadCase{words({"diff", "last.json"}), "diff takes two files"},
        BadCase{words({"diff", "a", "b", "c"}), "diff takes two files"},
        BadCase{words({"diff", "a", "b", "--wide"}), "diff has no option '--wide'"},
        BadCase{words({"watch", "--interval", "0"}), "--interval takes whole seconds from 1"},
        BadCase{words({"watch", "--interval", "1.5"}), "--interval takes whole seconds from 1"},
        BadCase{words({"watch", "--format", "json"}), "watch's --format is table or jsonl"},
        BadCase{words({"scan", "--format", "jsonl"}), "--format is one of table, csv, json"},
        BadCase{QStringList(65, QStringLiteral("scan")), "more than 64 arguments"},
        BadCase{{QStringLiteral("scan"), QString(4097, u'x')}, "longer than 4096 characters"},
        // What a message quotes never carries a terminal's control sequence.
        BadCase{{QStringLiteral("\x1b]0;owned\x07")}, "unknown command '?]0;owned?'"}));

}  // namespace
}  // namespace velmaro::cli

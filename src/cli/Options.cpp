#include "cli/Options.h"

#include <algorithm>
#include <array>
#include <span>

#include "form/ControlDefaults.h"
#include "support/Ipv4Text.h"
#include "support/PrintableText.h"

namespace velmaro::cli {
namespace {

// The commands each option belongs to, as bits.
constexpr unsigned bit(Command command) { return 1u << static_cast<unsigned>(command); }
constexpr unsigned kScan = bit(Command::Scan);
constexpr unsigned kPing = bit(Command::Ping);
constexpr unsigned kIdentify = bit(Command::Identify);
constexpr unsigned kDoctor = bit(Command::Doctor);
constexpr unsigned kVendors = bit(Command::Vendors);
constexpr unsigned kDiff = bit(Command::Diff);
constexpr unsigned kWatch = bit(Command::Watch);
constexpr unsigned kRunning = kScan | kPing | kIdentify | kDoctor | kVendors | kDiff | kWatch;

// Applies a value to the options; the error text when the value cannot be taken.
using Apply = QString (*)(Options& options, const QString& value);

struct OptionSpec {
  const char* name;
  bool takesValue;
  unsigned commands;
  Apply apply;
};

QString boxText(Options& options, TextBox box, const QString& value, const char* option) {
  const int limit = MaxLength(box);
  if (limit > 0 && value.size() > limit) {
    return QStringLiteral("%1 takes at most %2 characters, as the window's box does")
        .arg(QLatin1String(option), QString::number(limit));
  }
  options.texts[box] = value;
  return {};
}

QString applyFormat(Options& options, const QString& value) {
  const OutputFormat* format = FindOutputFormat(value);
  if (!format) return QStringLiteral("--format is one of ") + OutputFormatNames(u", ");
  options.format = format;
  return {};
}

// A count in plain digits, read the same in every locale; -1 when it is not one or passes
// `limit`.
qint64 plainCount(const QString& value, qint64 limit) {
  qint64 count = value.isEmpty() ? -1 : 0;
  for (QChar c : value) {
    if (c < u'0' || c > u'9' || count > limit) return -1;
    count = count * 10 + (c.unicode() - u'0');
  }
  return count > limit ? -1 : count;
}

QString applyListen(Options& options, const QString& value) {
  const qint64 ms = plainCount(value, tunables::kMaxListenMs);
  if (ms < 0) {
    return QStringLiteral("--listen takes whole milliseconds from 0 to %1")
        .arg(tunables::kMaxListenMs);
  }
  options.listenMs = static_cast<int>(ms);
  return {};
}

QString applyInterval(Options& options, const QString& value) {
  const qint64 seconds = plainCount(value, tunables::kMaxWatchIntervalS);
  if (seconds < tunables::kMinWatchIntervalS) {
    return QStringLiteral("--interval takes whole seconds from %1 to %2")
        .arg(tunables::kMinWatchIntervalS)
        .arg(tunables::kMaxWatchIntervalS);
  }
  options.intervalS = static_cast<int>(seconds);
  return {};
}

QString applyWatchFormat(Options& options, const QString& value) {
  if (value != u"table" && value != u"jsonl")
    return QStringLiteral("watch's --format is table or jsonl");
  options.jsonLines = value == u"jsonl";
  return {};
}

QString applyPrefix(Options& options, const QString& value) {
  const QStringList parts = value.split(u'.');
  if (parts.size() != 3) return QStringLiteral("--prefix takes the first three octets, as A.B.C");
  for (int i = 0; i < 3; ++i) {
    const QString error =
        boxText(options, kTextBoxes[static_cast<size_t>(i)], parts[i], "--prefix");
    if (!error.isEmpty()) return error + QStringLiteral(" for each octet");
  }
  return {};
}

QString applyUpdateFrom(Options& options, const QString& value) {
  if (value.isEmpty()) return QStringLiteral("--update-from needs a file");
  options.updateFrom = value;
  options.checks[CheckBox::UpdateOnly] = 1;
  return {};
}

QString applyTargets(Options& options, const QString& value) {
  auto parsed = ParseTargets(value);
  if (const auto* error = std::get_if<QString>(&parsed))
    return QStringLiteral("--targets: ") + *error;
  options.targets = std::get<TargetList>(std::move(parsed));
  return {};
}

QString applyRate(Options& options, const QString& value) {
  // A text that is no number at all is told apart from a number out of range.
  if (!std::all_of(value.begin(), value.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
    return QStringLiteral("--rate takes a whole number of requests a second");
  const qint64 rate = plainCount(value, tunables::kMaxEchoRate);
  if (rate < 1) {
    return QStringLiteral("--rate takes whole requests a second from 1 to %1")
        .arg(tunables::kMaxEchoRate);
  }
  options.rate = int(rate);
  return {};
}

const std::array<OptionSpec, 20> kOptions{{
    {"--help", false, kRunning,
     [](Options& o, const QString&) {
       o.command = Command::Help;
       return QString();
     }},
    {"-h", false, kRunning,
     [](Options& o, const QString&) {
       o.command = Command::Help;
       return QString();
     }},
    {"--format", true, kScan | kPing | kIdentify | kDoctor | kDiff, applyFormat},
    {"--format", true, kWatch, applyWatchFormat},
    {"--listen", true, kScan | kDoctor, applyListen},
    {"--interval", true, kWatch, applyInterval},
    {"--all-interfaces", false, kScan | kWatch,
     [](Options& o, const QString&) {
       o.allInterfaces = true;
       return QString();
     }},
    {"--wide", false, kScan | kPing,
     [](Options& o, const QString&) {
       o.wide = true;
       return QString();
     }},
    {"--probe", false, kDoctor,
     [](Options& o, const QString&) {
       o.probe = true;
       return QString();
     }},
    {"--no-mac", false, kScan | kPing,
     [](Options& o, const QString&) {
       o.checks[CheckBox::ParseARP] = 0;
       return QString();
     }},
    {"--prefix", true, kPing, applyPrefix},
    {"--range", true, kPing,
     [](Options& o, const QString& v) { return boxText(o, TextBox::IPScan, v, "--range"); }},
    {"--timeout", true, kPing | kIdentify | kWatch,
     [](Options& o, const QString& v) { return boxText(o, TextBox::PingTO, v, "--timeout"); }},
    {"--port", true, kPing | kIdentify | kWatch,
     [](Options& o, const QString& v) { return boxText(o, TextBox::HTTPPort, v, "--port"); }},
    {"--update-from", true, kPing, applyUpdateFrom},
    {"--no-nvid", false, kPing,
     [](Options& o, const QString&) {
       o.checks[CheckBox::ParseNVIDs] = 0;
       return QString();
     }},
    {"--fast", false, kPing | kIdentify,
     [](Options& o, const QString&) {
       o.fast = true;
       return QString();
     }},
    {"--targets", true, kPing, applyTargets},
    {"--rate", true, kPing, applyRate},
    {"--genid", false, kPing,
     [](Options& o, const QString&) {
       o.checks[CheckBox::ParseGenIDs] = 1;
       return QString();
     }},
}};

struct CommandSpec {
  const char* name;
  Command command;
  bool takesHost;
};

constexpr std::array<CommandSpec, 7> kCommands{{
    {"scan", Command::Scan, false},
    {"ping", Command::Ping, false},
    {"identify", Command::Identify, true},
    {"doctor", Command::Doctor, false},
    {"vendors", Command::Vendors, false},
    {"diff", Command::Diff, false},
    {"watch", Command::Watch, false},
}};

const OptionSpec* findOption(QStringView name, Command command) {
  for (const OptionSpec& entry : kOptions) {
    if (name == QLatin1String(entry.name) && (entry.commands & bit(command))) return &entry;
  }
  return nullptr;
}

std::variant<Options, UsageError> parseCommand(const CommandSpec& entry,
                                               std::span<const QString> words) {
  Options options;
  options.command = entry.command;
  // A sweep from the command line starts a fresh list, unless it is given one to update.
  if (entry.command == Command::Ping) options.checks[CheckBox::UpdateOnly] = 0;
  // A watch tells every host's maker.
  if (entry.command == Command::Watch) options.checks[CheckBox::ParseARP] = 1;
  QStringList positionals;
  bool optionsEnded = false;
  for (size_t i = 0; i < words.size(); ++i) {
    const QString& word = words[i];
    if (optionsEnded || !word.startsWith(u'-') || word == u"-") {
      positionals.append(word);
      continue;
    }
    if (word == u"--") {
      optionsEnded = true;
      continue;
    }
    const qsizetype equals = word.indexOf(u'=');
    const QString name = equals < 0 ? word : word.left(equals);
    const OptionSpec* option = findOption(name, entry.command);
    if (!option) {
      return UsageError{
          QStringLiteral("%1 has no option %2").arg(QLatin1String(entry.name), QuotedText(name))};
    }
    QString value;
    if (!option->takesValue) {
      if (equals >= 0) return UsageError{QStringLiteral("%1 takes no value").arg(name)};
    } else if (equals >= 0) {
      value = word.mid(equals + 1);
    } else if (i + 1 < words.size()) {
      value = words[++i];
    } else {
      return UsageError{QStringLiteral("%1 needs a value").arg(name)};
    }
    const QString error = option->apply(options, value);
    if (!error.isEmpty()) return UsageError{error};
    if (options.command == Command::Help) return options;
  }
  if (entry.command == Command::Vendors && !positionals.isEmpty()) {
    if (positionals.size() != 2 || positionals.front() != u"import" ||
        positionals.back().isEmpty()) {
      return UsageError{QStringLiteral("vendors takes nothing, or import FILE")};
    }
    options.command = Command::VendorsImport;
    options.registryFile = positionals.back();
  } else if (entry.command == Command::Diff) {
    if (positionals.size() != 2 || positionals.front().isEmpty() || positionals.back().isEmpty()) {
      return UsageError{QStringLiteral("diff takes two files, OLD.json and NEW.json")};
    }
    options.files = positionals;
  } else if (entry.takesHost) {
    if (positionals.isEmpty()) {
      return UsageError{QStringLiteral("%1 takes a HOST").arg(QLatin1String(entry.name))};
    }
    for (const QString& host : positionals) {
      if (!ParseDottedAddress(host)) {
        return UsageError{
            QStringLiteral("HOST %1 is not a dotted IPv4 address").arg(QuotedText(host))};
      }
    }
    options.hosts = positionals;
  } else if (!positionals.isEmpty()) {
    return UsageError{
        QStringLiteral("unexpected argument %1").arg(QuotedText(positionals.front()))};
  }
  // The window's sweep covers one range of one /24 at its own pace: a list or a rate is
  // for the fast sweep only.
  if (!options.fast && (options.targets || options.rate)) {
    return UsageError{QStringLiteral("--targets and --rate go with --fast")};
  }
  if (options.targets &&
      (options.texts.contains(TextBox::IPScan) || options.texts.contains(TextBox::IP0))) {
    return UsageError{QStringLiteral("--targets replaces --prefix and --range")};
  }
  return options;
}

}  // namespace

std::variant<Options, UsageError> ParseOptions(const QStringList& arguments) {
  if (arguments.size() > tunables::kMaxArguments) {
    return UsageError{QStringLiteral("more than %1 arguments").arg(tunables::kMaxArguments)};
  }
  for (const QString& argument : arguments) {
    if (argument.size() > tunables::kMaxArgumentLength) {
      return UsageError{QStringLiteral("an argument longer than %1 characters")
                            .arg(tunables::kMaxArgumentLength)};
    }
  }
  if (arguments.isEmpty()) return UsageError{QStringLiteral("no command given")};
  const QString& first = arguments.front();
  if (first == u"--help" || first == u"-h") return Options{};
  if (first == u"--version") {
    if (arguments.size() > 1) return UsageError{QStringLiteral("--version takes nothing more")};
    Options options;
    options.command = Command::Version;
    return options;
  }
  for (const CommandSpec& entry : kCommands) {
    if (first == QLatin1String(entry.name)) {
      return parseCommand(entry, std::span<const QString>(arguments).subspan(1));
    }
  }
  return UsageError{QStringLiteral("unknown command %1").arg(QuotedText(first))};
}

QString UsageText() {
  return QStringLiteral(
             "usage: velmaro-cli COMMAND [OPTIONS]\n"
             "Finds the network units on an IPv4 LAN, as the Velmaro window does, and prints the "
             "list.\n"
             "\n"
             "  velmaro-cli --version\n"
             "  velmaro-cli --help\n"
             "  velmaro-cli scan [--listen MS] [--no-mac] [--all-interfaces] [--wide]\n"
             "                   [--format %1]\n"
             "      one discovery query to the broadcast address; replies are collected for MS\n"
             "      milliseconds (default 2000). --all-interfaces: the query on every network "
             "card,\n"
             "      each reply tagged with its card and, when the PC cannot reach the unit, the "
             "fix\n"
             "      (JSON keys interface and unreachable; --wide: as columns of the table and "
             "CSV)\n"
             "  velmaro-cli ping [--prefix A.B.C] [--range XX-YY] [--timeout T] [--port P]\n"
             "                   [--update-from FILE.json] [--no-mac] [--no-nvid] [--genid]\n"
             "                   [--fast [--targets LIST] [--rate N]] [--wide] [--format %1]\n"
             "      sweeps A.B.C.XX to A.B.C.YY (default: this machine's own network, 1-254), "
             "time-out\n"
             "      T ms (default 500), web pages on port P (default 80); --update-from updates "
             "an\n"
             "      earlier JSON result as \"Update Only\" does: new hosts \"add\", missed ones "
             "\"remove\"\n"
             "      --fast: the same rows without the window's pauses, every host named while the\n"
             "      sweep waits for the silent ones (a /24 in about 2 x T), for scripts and large\n"
             "      sites; --targets: instead of --prefix/--range, a list such as\n"
             "      10.1.0.0/22,10.1.2.1-50,10.1.3.7 (/16 to /32, 65534 addresses at most);\n"
             "      --rate: echo requests a second after the first 256 (default 250: each silent\n"
             "      local address costs an ARP broadcast and a neighbour entry the system keeps\n"
             "      ~3 s in a table of 1024; raise it for addresses behind a router)\n"
             "  velmaro-cli identify [--fast] HOST... [--port P] [--timeout T] [--format %1]\n"
             "      MAC, manufacturer and name of each host, as the list's \"Refresh\" reads "
             "them;\n"
             "      --fast: every host at once\n"
             "  velmaro-cli doctor [--probe] [--listen MS] [--format %1]\n"
             "      why a scan finds nothing: one line per check, \"ok\" or the fix; --probe also\n"
             "      sends one query per card and listens MS milliseconds. Exit 1 when a scan "
             "cannot work\n"
             "  velmaro-cli diff OLD.json NEW.json [--format %1]\n"
             "      what changed between two results of scan or ping (or watch logs): hosts\n"
             "      added, removed, moved (IP), renamed (title) or with another maker; a host is\n"
             "      its MAC, a row without one its IP. Exit 0 the same, 1 different, 2 trouble\n"
             "  velmaro-cli watch [--interval S] [--all-interfaces] [--port P] [--timeout T]\n"
             "                    [--format table|jsonl]\n"
             "      the discovery query every S seconds (default 2, at least 1) and the neighbour\n"
             "      table followed, until Ctrl-C: one line per event (new, moved, conflict, gone,\n"
             "      back), flushed at once; names of hosts that do not answer the query from "
             "their\n"
             "      pages on port P, time-out T (as ping). Keeps at most %2 hosts in mind (the "
             "one\n"
             "      heard from longest ago is forgotten), so memory stays flat for hours\n"
             "  velmaro-cli vendors [import FILE]\n"
             "      the vendor file in use, its date and entries; import: a registry downloaded "
             "from\n"
             "      the IEEE (MA-L oui.txt or oui.csv) becomes this user's vendor file\n"
             "\n"
             "--no-mac: no MAC and manufacturer; --no-nvid: do not read the units' ID pages;\n"
             "--genid: read the title of other hosts' home pages.\n"
             "JSON rows list what answered for each (\"seen\": query, echo, neighbours, page) "
             "and,\n"
             "when other hosts with another MAC hold the same IP, their MACs (\"conflict\", also\n"
             "told on standard error); --wide: the card, reach, seen and conflict columns.\n"
             "--format csv: a cell starting with =, +, -, @, TAB or CR (not the \"---\" of "
             "nothing\n"
             "found) gets a ' before it, so a spreadsheet shows it as text, never as a formula;\n"
             "control characters show as ? in the table and CSV, as \\u00XX in JSON.\n"
             "Exit status: 0 the run completed (also when nothing was found); 1 the network cannot "
             "be\n"
             "used (no permission to ping, reply port 2860 held); 2 bad usage, a bad range or an\n"
             "unreadable --update-from file; 3 vendors: no vendor file found, or the import was\n"
             "refused or could not be written (the file in use stays as it was).\n")
      .arg(OutputFormatNames(u"|"))
      .arg(tunables::kMaxWatchHosts);
}

}  // namespace velmaro::cli

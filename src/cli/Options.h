// The command line of velmaro-cli read into what the window's controls would hold: a pure
// function over the argument texts, so every line a user can type is tested and fuzzed
// alone. Box values are only carried here; the procedures apply the boxes' own rules.
#pragma once

#include <QString>
#include <QStringList>
#include <map>
#include <optional>
#include <variant>

#include "cli/Formats.h"
#include "form/Controls.h"
#include "scan/TargetList.h"
#include "support/Tunables.h"

namespace velmaro::cli {

enum class Command {
  Help,
  Version,
  Scan,
  Ping,
  Identify,
  Doctor,
  Vendors,
  VendorsImport,
  Diff,
  Watch,
};

struct Options {
  Command command = Command::Help;
  const OutputFormat* format = OutputFormats().data();  // the first is the default
  // What the options put in the window's boxes and check boxes; every box they leave
  // alone keeps the window's own default (and the prefix boxes its load-time preset).
  std::map<TextBox, QString> texts;
  std::map<CheckBox, int> checks;
  int listenMs = tunables::kDefaultListenMs;  // scan: how long replies are collected
  QString updateFrom;                         // ping: an earlier JSON result to update
  QStringList hosts;                          // identify: the dotted addresses
  bool fast = false;                          // ping, identify: the pipelined procedure
  std::optional<TargetList> targets;          // ping --targets: instead of the boxes
  std::optional<int> rate;                    // ping --fast: echo requests per second
  bool allInterfaces = false;                 // scan: the query on every card
  bool wide = false;                          // scan, ping: the --wide columns in table and csv
  bool probe = false;                         // doctor: send one query per card and listen
  QString registryFile;                       // vendors import: the IEEE's oui.txt or oui.csv
  QStringList files;                          // diff: the older and the newer result
  int intervalS = tunables::kDefaultWatchIntervalS;  // watch: seconds between two queries
  bool jsonLines = false;                            // watch: one JSON object a line
  friend bool operator==(const Options&, const Options&) = default;
};

struct UsageError {
  QString message;  // one line, without the program name
};

// The arguments after the program name.
std::variant<Options, UsageError> ParseOptions(const QStringList& arguments);

// The text of --help.
QString UsageText();

}  // namespace velmaro::cli

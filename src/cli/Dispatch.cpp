#include <array>

#include "cli/Commands.h"
#include "cli/Session.h"
#include "support/Version.h"

namespace velmaro::cli {
namespace {

struct Entry {
  Command command;
  int (*run)(const Options&);
};

constexpr std::array<Entry, 8> kRunners{{
    {Command::Scan, RunScan},
    {Command::Ping, RunPing},
    {Command::Identify, RunIdentify},
    {Command::Doctor, RunDoctorCommand},
    {Command::Vendors, RunVendorsCommand},
    {Command::VendorsImport, RunVendorsCommand},
    {Command::Diff, RunDiff},
    {Command::Watch, RunWatch},
}};

}  // namespace

int Dispatch(const QStringList& arguments) {
  const auto parsed = ParseOptions(arguments);
  if (const auto* error = std::get_if<UsageError>(&parsed)) {
    PrintError(error->message + QStringLiteral(" (see velmaro-cli --help)"));
    return kExitUsage;
  }
  const Options& options = std::get<Options>(parsed);
  switch (options.command) {
    case Command::Help:
      PrintOut(UsageText());
      return kExitCompleted;
    case Command::Version:
      PrintOut(windowTitle() + u'\n');
      return kExitCompleted;
    default:
      break;
  }
  for (const Entry& entry : kRunners) {
    if (entry.command == options.command) return entry.run(options);
  }
  return kExitUsage;
}

}  // namespace velmaro::cli

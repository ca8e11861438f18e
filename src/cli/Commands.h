// The commands of velmaro-cli, one file each, and the dispatcher that picks one. A new
// command is a value of Command, its options in Options.cpp, a file here and a line in
// the dispatcher's table.
#pragma once

#include <QStringList>

#include "cli/Options.h"

namespace velmaro::cli {

int RunScan(const Options& options);            // ScanCommand.cpp
int RunPing(const Options& options);            // PingCommand.cpp
int RunIdentify(const Options& options);        // IdentifyCommand.cpp
int RunDoctorCommand(const Options& options);   // DoctorCommand.cpp
int RunVendorsCommand(const Options& options);  // VendorsCommand.cpp
int RunDiff(const Options& options);            // DiffCommand.cpp
int RunWatch(const Options& options);           // WatchCommand.cpp

// Parses the arguments after the program name, runs the command and gives the exit status.
int Dispatch(const QStringList& arguments);

}  // namespace velmaro::cli

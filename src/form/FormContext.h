// What the procedures of the main window share: its controls, its result list, the error
// log, the program's folders, the clock, the platform and the window-level state.
#pragma once

#include <QString>

namespace velmaro {

class AppPaths;
class ArpTable;
class Clock;
class Controls;
class ErrorReporter;
class OuiFile;
class ResultList;
class UserNotice;
namespace platform {
class Platform;
}

struct FormContext {
  Controls& controls;
  UserNotice& notice;
  ResultList& list;  // lstIPs
  ErrorReporter& log;
  const AppPaths& paths;
  const Clock& clock;
  platform::Platform& platform;
  ArpTable& arp;     // the data module's neighbour table
  OuiFile& oui;      // and its vendor-prefix file
  QString& localIP;  // m_sLocalIP
};

}  // namespace velmaro

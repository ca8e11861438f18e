// The one place where a front end's procedures meet the machine: the platform, the
// program's folders, the clock and the error log, each the real one unless a test or a
// front end hands in its own, and the window's procedures built over them.
#pragma once

#include <memory>
#include <optional>

#include "form/MainForm.h"
#include "platform/Platform.h"
#include "support/AppPaths.h"

namespace velmaro {

class Clock;
class Controls;
class ErrorLog;
class ErrorReporter;
class UserNotice;

// What a front end may hand in; anything left unset is the real thing.
struct FormServices {
  std::unique_ptr<platform::Platform> platform;  // the machine's own when null
  std::optional<AppPaths> paths;                 // the executable's folders when unset
  ErrorReporter* log = nullptr;                  // ErrorLog.txt in those folders when null
  const Clock* clock = nullptr;                  // the system clock when null
};

class FormRoot {
 public:
  // `controls` and `notice` are the front end's and outlive this object.
  FormRoot(FormServices services, Controls& controls, UserNotice& notice);
  ~FormRoot();
  FormRoot(const FormRoot&) = delete;
  FormRoot& operator=(const FormRoot&) = delete;

  MainForm& form() { return *m_form; }
  platform::Platform& platform() { return *m_platform; }
  const AppPaths& paths() const { return m_paths; }
  const Clock& clock() const { return m_clock; }
  ErrorReporter& log() { return *m_log; }

 private:
  std::unique_ptr<platform::Platform> m_platform;
  AppPaths m_paths;
  const Clock& m_clock;
  std::unique_ptr<ErrorLog> m_ownLog;
  ErrorReporter* m_log;
  std::unique_ptr<MainForm> m_form;
};

}  // namespace velmaro

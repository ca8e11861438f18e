#include "form/FormRoot.h"

#include "support/Clock.h"
#include "support/ErrorLog.h"

namespace velmaro {

FormRoot::FormRoot(FormServices services, Controls& controls, UserNotice& notice)
    : m_platform(services.platform ? std::move(services.platform)
                                   : platform::createSystemPlatform()),
      m_paths(services.paths ? *services.paths : AppPaths::forExecutable()),
      m_clock(services.clock ? *services.clock : Clock::system()),
      m_log(services.log) {
  if (!m_log) {
    // The per-user folder keeps a record the application folder's log cannot take.
    const QString userLog = m_paths.userFolder().isEmpty()
                                ? QString()
                                : m_paths.userFolder() + QStringLiteral("/ErrorLog.txt");
    m_ownLog = std::make_unique<ErrorLog>(m_paths.errorLogPath(), m_clock, &notice,
                                          userLog == m_paths.errorLogPath() ? QString() : userLog);
    m_log = m_ownLog.get();
  }
  m_form = std::make_unique<MainForm>(controls, notice, *m_log, m_paths, m_clock, *m_platform);
}

FormRoot::~FormRoot() = default;

}  // namespace velmaro

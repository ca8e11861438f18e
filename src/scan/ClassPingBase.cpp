#include "scan/ClassPingBase.h"

#include <QScopeGuard>
#include <exception>

#include "platform/Platform.h"
#include "scan/EchoAddress.h"
#include "scan/EchoRun.h"
#include "support/Events.h"
#include "support/Tunables.h"

namespace velmaro {

ClassPingBase::ClassPingBase(platform::Platform& platform, const Clock& clock, QObject* parent)
    : QObject(parent),
      m_platform(platform),
      m_clock(clock),
      m_lNumParalellActions(tunables::kDefaultParallel) {}

ClassPingBase::~ClassPingBase() = default;

void ClassPingBase::PingHostList(const QStringList& saIpAdresses, qint32 TimeOutHost,
                                 qint32 TimeOutAll) {
  if (m_bListPingRunning) return;
  m_bListPingRunning = true;
  const auto running = qScopeGuard([this] { m_bListPingRunning = false; });

  std::vector<std::optional<quint32>> destinations;
  destinations.reserve(size_t(saIpAdresses.size()));
  for (const QString& text : saIpAdresses) destinations.push_back(EchoAddressFromText(text));

  platform::EchoOpenResult opened;
  std::exception_ptr failure;
  if (!WaitsAborted() && !saIpAdresses.isEmpty()) {
    opened = m_platform.openEchoSocket();
    if (!opened.socket) {
      // Without a socket every host would look silent; say why once, then end each entry.
      try {
        emit EchoUnavailable(opened.error, opened.permissionDenied);
      } catch (...) {
        failure = std::current_exception();
      }
    }
  }

  EchoRun::Settings settings;
  settings.data = QByteArray(tunables::kListEchoData);
  settings.hostTimeoutMs = TimeOutHost;
  settings.allTimeoutMs = TimeOutAll;
  settings.blockSize = m_lNumParalellActions;
  EchoRun run(std::move(opened.socket), m_clock, std::move(destinations), std::move(settings),
              [this, &saIpAdresses](qsizetype index, qint32 status) {
                const QString& address = saIpAdresses[index];
                if (status >= 0)
                  emit PingSuccess(address, status, qint32(index));
                else
                  emit PingFail(address, -1, qint32(index));
              });
  run.run(failure);
}

qint32 ClassPingBase::PingHostSingle(const QString& sHostIP, qint32 TimeOut) {
  Q_UNUSED(TimeOut);  // the request and its wait are both limited to a fixed second
  if (WaitsAborted()) return -1;
  platform::EchoOpenResult opened = m_platform.openEchoSocket();
  if (!opened.socket) return -2;

  EchoRun::Settings settings;
  settings.data = QByteArray(tunables::kSingleEchoData);
  settings.hostTimeoutMs = tunables::kSingleTimeoutMs;
  settings.allTimeoutMs = tunables::kSingleTimeoutMs;
  qint32 result = -1;
  EchoRun run(std::move(opened.socket), m_clock, {EchoAddressFromText(sHostIP)},
              std::move(settings), [&result](qsizetype, qint32 status) { result = status; });
  run.run();
  return result;
}

}  // namespace velmaro

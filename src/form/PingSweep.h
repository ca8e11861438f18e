// The "PING" sweep of the main window: range check, scanning panel, the echo engine's
// answers turned into rows (fresh list or update over the existing one), then enrichment.
#pragma once

#include <QObject>
#include <QRandomGenerator>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "form/FormContext.h"
#include "form/ScanOutcome.h"

namespace velmaro {

class ClassPingBase;
class StepTrap;

class PingSweep final : public QObject {
  Q_OBJECT

 public:
  explicit PingSweep(FormContext& form);
  ~PingSweep() override;

  ScanOutcome cmdScanPing_Click();
  QString GetNextScanIP();

  void m_clsPingBase_PingSuccess(const QString& sIPAddress, qint32 lNewStatus, qint32 ArrayIndex);
  void m_clsPingBase_PingFail(const QString& sIPAddress, qint32 lNewStatus, qint32 ArrayIndex);

  // The stage that runs after the echoes, under the sweep's own trap (its lines 560 to
  // 790). Unset, the sweep goes straight on to restoring the window.
  using Enrichment = std::function<void(StepTrap& trap)>;
  void setEnrichment(Enrichment enrichment) { m_enrichment = std::move(enrichment); }

  ClassPingBase* engine() const { return m_clsPingBase.get(); }

  // Told the line of each of the sweep's own steps as it starts (measurements only).
  void setStepObserver(std::function<void(int line)> observer) {
    m_stepObserver = std::move(observer);
  }

  // Re-seeded from the clock by every sweep before its enrichment; the page fetches draw
  // their request numbers from it.
  QRandomGenerator& randomGenerator() { return m_random; }

  quint8 m_byScanFirst = 0;
  quint8 m_byScanLast = 0;
  quint8 m_byScanNext = 0;

  // The engine could not open an echo socket: tell the user once, and do not take the
  // misses that follow for silent hosts.
  void m_clsPingBase_EchoUnavailable(const QString& reason, bool permissionDenied);
  // Lines 230 to 310 of a sweep: with "Update Only" the rows stay and lose their ping
  // times, otherwise the list starts afresh.
  void prepareList(StepTrap& trap);

 private:
  FormContext& m_form;
  // Runs a handler's work under the sweep's trap (line 540, where the engine raises the
  // events), so a row that vanished is reported and the engine goes on.
  void handlerStep(const std::function<void()>& body);
  void newEngine();
  QStringList buildAddressList(StepTrap& trap);

  std::unique_ptr<ClassPingBase> m_clsPingBase;
  Enrichment m_enrichment;
  std::function<void(int line)> m_stepObserver;
  QRandomGenerator m_random;
  StepTrap* m_trap = nullptr;       // the running sweep's trap
  bool m_sweeping = false;          // a sweep is on the stack
  bool m_echoUnavailable = false;   // this sweep could not send a single echo
  bool m_echoNotPermitted = false;  // ... because this user may not send any
};

}  // namespace velmaro

// The "PING" sweep of the main window: range check, scanning panel, the echo engine's
// answers turned into rows (fresh list or update over the existing one), then enrichment.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

#include "app/FormContext.h"

namespace velmaro {

class ClassPingBase;
class StepTrap;

class PingSweep final : public QObject {
  Q_OBJECT

 public:
  explicit PingSweep(FormContext& form);
  ~PingSweep() override;

  void cmdScanPing_Click();
  QString GetNextScanIP();

  void m_clsPingBase_PingSuccess(const QString& sIPAddress, qint32 lNewStatus, qint32 ArrayIndex);
  void m_clsPingBase_PingFail(const QString& sIPAddress, qint32 lNewStatus, qint32 ArrayIndex);

  // The stage that runs after the echoes, under the sweep's own trap (its lines 560 to
  // 790). Unset, the sweep goes straight on to restoring the window.
  using Enrichment = std::function<void(StepTrap& trap)>;
  void setEnrichment(Enrichment enrichment) { m_enrichment = std::move(enrichment); }

  ClassPingBase* engine() const { return m_clsPingBase.get(); }

  quint8 m_byScanFirst = 0;
  quint8 m_byScanLast = 0;
  quint8 m_byScanNext = 0;

 private:
  FormContext& m_form;
  std::unique_ptr<ClassPingBase> m_clsPingBase;
  Enrichment m_enrichment;
};

}  // namespace velmaro

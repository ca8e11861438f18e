#include "scan/PingSweep.h"

#include "scan/ClassPingBase.h"

// Placeholder until the sweep is built.
namespace velmaro {
PingSweep::PingSweep(FormContext& form) : m_form(form) {}
PingSweep::~PingSweep() = default;
void PingSweep::cmdScanPing_Click() {}
QString PingSweep::GetNextScanIP() { return {}; }
void PingSweep::m_clsPingBase_PingSuccess(const QString&, qint32, qint32) {}
void PingSweep::m_clsPingBase_PingFail(const QString&, qint32, qint32) {}
}  // namespace velmaro

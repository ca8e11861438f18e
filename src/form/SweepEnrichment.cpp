#include "form/SweepEnrichment.h"

#include "form/Controls.h"
#include "form/RowMac.h"
#include "form/RowName.h"
#include "identify/ArpTable.h"
#include "support/Events.h"
#include "support/Numbers.h"
#include "support/StepTrap.h"
#include "support/Tunables.h"
#include "support/Wait.h"

namespace velmaro {
namespace {
constexpr int kCompleteMacLength = 17;  // six two-digit groups and five "-"
}

bool WantsMac(const ResultList& list, RowId row) {
  return list.cell(row, list.GetColumnIndex(u"mac")).size() != kCompleteMacLength;
}

bool WantsName(const ResultList& list, RowId row) {
  const QString pingCell = list.cell(row, list.GetColumnIndex(u"ping"));
  return list.cell(row, list.GetColumnIndex(u"name")) == QStringLiteral("???") &&
         LeadingNumber(pingCell) > -1 && pingCell != QStringLiteral("TimedOut");
}

void RunSweepEnrichment(FormContext& form, StepTrap& trap, PageSource& http) {
  ResultList& list = form.list;
  Controls& controls = form.controls;
  if (!trap.test(560, [&] { return list.count() > 0; })) return;

  if (trap.test(570, [&] { return controls.value(CheckBox::ParseARP) == 1; })) {
    trap.step(580, [&] { TimedWait(tunables::kArpSettleMs, form.clock); });
    trap.step(590, [&] { form.arp.ARP_LoadTable(); });
  }

  // Positions, not handles: rows that vanish meanwhile (a broadcast scan empties the
  // list) make each step that reaches them a logged failure, and the loop goes on.
  const int count = trap.value(610, 0, [&] { return list.count(); });
  for (int i = 1; i <= count && !WaitsAborted(); ++i) {
    if (trap.test(630, [&] {
          return controls.value(CheckBox::ParseARP) == 1 && WantsMac(list, list.rowAt(i));
        })) {
      // The call shares its test's line.
      trap.step(630, [&] { PopulateItemMAC(form, list.rowAt(i)); });
    }
    if (trap.test(660, [&] { return WantsName(list, list.rowAt(i)); })) {
      trap.step(700, [&] {
        PopulateItemName(form, http, list.rowAt(i), controls.value(CheckBox::ParseNVIDs) == 1,
                         controls.value(CheckBox::ParseGenIDs) == 1);
      });
    }
    trap.step(760, [&] { TimedWait(tunables::kPerRowWaitMs, form.clock); });
    trap.step(770, [&] { DoEvents(); });
  }
}

}  // namespace velmaro

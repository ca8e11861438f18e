#include "form/RowMac.h"

#include <optional>

#include "form/FormContext.h"
#include "identify/ArpTable.h"
#include "identify/LocalMac.h"
#include "identify/Manufacturer.h"
#include "support/StepTrap.h"

namespace velmaro {
namespace {

const QString kNoValue = QStringLiteral("---");

}  // namespace

void PopulateItemMAC(FormContext& form, RowId row) {
  StepTrap trap(form.log, QStringLiteral("PopulateItemMAC"), Container::Form);
  ResultList& list = form.list;
  auto setCell = [&](QStringView key, const QString& value) {
    list.setCell(row, list.GetColumnIndex(key), value);
  };

  trap.step(20, [&] {
    if (!list.exists(row)) throw err::objectNotSet();  // the list changed during a wait
  });
  if (trap.test(30, [&] { return list.cell(row, list.GetColumnIndex(u"name")) == u"LOCALHOST"; })) {
    QString mac;
    trap.step(40, [&] { mac = GetLocalMAC(form.platform, form.localIP); });
    trap.step(50, [&] { setCell(u"mac", mac); });
    // The host's own adapter is named from the vendor file alone.
    trap.step(60, [&] { setCell(u"mfg", form.oui.OUI_GetMFGByMAC(mac)); });
    return;  // line 280: the row is released
  }

  QString mac;
  trap.step(80, [&] { mac = form.arp.ARP_GetMACByIP(list.text(row)); });
  if (!trap.test(90, [&] { return mac.isEmpty(); })) {
    // A MAC already shown (from a unit's own reply) stays; the manufacturer always
    // follows the MAC just looked up.
    if (trap.test(100, [&] { return list.cell(row, list.GetColumnIndex(u"mac")).isEmpty(); })) {
      trap.step(110, [&] {
        setCell(u"mac", mac);
        list.addEvidence(row, Evidence::Neighbours);
      });
    }
    if (trap.test(130, [&] { return HasMakerPrefix(mac); })) {
      QString maker;
      trap.step(140, [&] { maker = MakerPrefixRule(mac); });
      trap.step(180, [&] { setCell(u"mfg", maker); });
    } else {
      trap.step(210, [&] { setCell(u"mfg", form.oui.OUI_GetMFGByMAC(mac)); });
    }
    return;  // line 280
  }
  trap.step(240, [&] { setCell(u"mac", kNoValue); });
  trap.step(250, [&] { setCell(u"mfg", kNoValue); });
}

}  // namespace velmaro

#include "identify/RowMac.h"

#include <optional>

#include "app/FormContext.h"
#include "identify/ArpTable.h"
#include "identify/Manufacturer.h"
#include "platform/Platform.h"
#include "support/Ipv4Text.h"
#include "support/StepTrap.h"

namespace velmaro {
namespace {

const QString kNoValue = QStringLiteral("---");

}  // namespace

QString MacText(const QByteArray& hardwareAddress) {
  QString text;
  for (qsizetype i = 0; i < hardwareAddress.size(); ++i) {
    if (i > 0) text.append(u'-');
    text.append(
        QStringLiteral("%1").arg(static_cast<uchar>(hardwareAddress[i]), 2, 16, QLatin1Char('0')));
  }
  return text.toUpper();
}

QString GetLocalMAC(platform::Platform& platform, const QString& localIP) {
  const auto adapters = platform.adapters();
  if (!adapters || adapters->empty()) return {};
  // The adapter listed last was taken as the host's own, but beside a VPN, bridge or
  // second card that shows a MAC the LOCALHOST address does not belong to: the adapter
  // that carries the address comes first.
  if (const auto own = ParseDottedAddress(localIP)) {
    for (auto it = adapters->rbegin(); it != adapters->rend(); ++it) {
      for (const quint32 address : it->ipv4) {
        if (address == *own) return MacText(it->hardwareAddress);
      }
    }
  }
  return MacText(adapters->back().hardwareAddress);
}

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
    trap.step(60, [&] { setCell(u"mfg", OUI_GetMFGByMAC(mac, form.paths, form.log)); });
    return;  // line 280: the row is released
  }

  QString mac;
  trap.step(80, [&] { mac = form.arp.ARP_GetMACByIP(list.text(row)); });
  if (!trap.test(90, [&] { return mac.isEmpty(); })) {
    // A MAC already shown (from a unit's own reply) stays; the manufacturer always
    // follows the MAC just looked up.
    if (trap.test(100, [&] { return list.cell(row, list.GetColumnIndex(u"mac")).isEmpty(); })) {
      trap.step(110, [&] { setCell(u"mac", mac); });
    }
    if (trap.test(130, [&] { return HasMakerPrefix(mac); })) {
      QString maker;
      trap.step(140, [&] { maker = MakerPrefixRule(mac); });
      trap.step(180, [&] { setCell(u"mfg", maker); });
    } else {
      trap.step(210, [&] { setCell(u"mfg", OUI_GetMFGByMAC(mac, form.paths, form.log)); });
    }
    return;  // line 280
  }
  trap.step(240, [&] { setCell(u"mac", kNoValue); });
  trap.step(250, [&] { setCell(u"mfg", kNoValue); });
}

}  // namespace velmaro

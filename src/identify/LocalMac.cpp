#include "identify/LocalMac.h"

#include "platform/Platform.h"
#include "support/Ipv4Text.h"

namespace velmaro {

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

}  // namespace velmaro

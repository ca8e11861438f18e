#include "netinfo/Reachability.h"

#include <QStringList>

#include "platform/Advice.h"
#include "support/Ipv4Text.h"
#include "support/Tunables.h"

namespace velmaro {
namespace {

constexpr quint32 kLinkLocalNet = 0xA9FE0000u;  // 169.254.0.0
constexpr int kLinkLocalPrefix = 16;

quint32 maskOf(int prefixLength) {
  return prefixLength <= 0    ? 0u
         : prefixLength >= 32 ? 0xFFFFFFFFu
                              : ~((1u << (32 - prefixLength)) - 1);
}

bool inSubnet(quint32 address, platform::InterfaceAddress subnet) {
  const quint32 mask = maskOf(subnet.prefixLength);
  return (address & mask) == (subnet.address & mask);
}

// An address for the card in the unit's subnet, one the unit itself does not hold.
platform::InterfaceAddress suggestedAddress(quint32 unit, int prefixLength) {
  quint32 host = tunables::kSuggestedHostOctet;
  if ((unit & 0xFFu) == host) --host;
  return {(unit & 0xFFFFFF00u) | host, prefixLength};
}

QString cardSubnets(const platform::NetworkInterface& card) {
  QStringList subnets;
  for (const auto& address : card.ipv4) subnets.append(SubnetText(address));
  return subnets.join(QStringLiteral(", "));
}

// "add A/n to CARD (the system's command for it)".
QString addAddress(const platform::NetworkInterface& card, platform::InterfaceAddress address) {
  const QString text =
      DottedAddress(address.address) + u'/' + QString::number(address.prefixLength);
  return QStringLiteral("add %1 to %2 (%3)")
      .arg(text, card.name, platform::AddAddressFix(text, card.name));
}

}  // namespace

QString SubnetText(platform::InterfaceAddress address) {
  return DottedAddress(address.address & maskOf(address.prefixLength)) + u'/' +
         QString::number(address.prefixLength);
}

Reachability ClassifyUnitAddress(quint32 sender, const platform::NetworkInterface& arrival) {
  for (const auto& address : arrival.ipv4) {
    if (sender != 0 && inSubnet(sender, address)) return {};
  }
  const QString unit = DottedAddress(sender);
  const bool cardHasAddress = !arrival.ipv4.empty();
  const QString cardSubnet = cardHasAddress ? SubnetText(arrival.ipv4.front()) : QString();
  const QString orMove = cardHasAddress
                             ? QStringLiteral(" or give the unit an address in %1").arg(cardSubnet)
                             : QString();
  if (sender == 0) {
    const QString where =
        cardHasAddress
            ? QStringLiteral("an address in %1").arg(cardSubnet)
            : QStringLiteral("an address, and %1 one in the same subnet").arg(arrival.name);
    return {UnitAddress::NoAddress,
            QStringLiteral("the unit has no IPv4 address (0.0.0.0): give it %1 (a DHCP server on "
                           "%2, or the maker's set-up tool)")
                .arg(where, arrival.name)};
  }
  const bool linkLocal = inSubnet(sender, {kLinkLocalNet, kLinkLocalPrefix});
  const int prefix = linkLocal ? kLinkLocalPrefix : tunables::kAssumedUnitPrefix;
  const QString what =
      !cardHasAddress ? QStringLiteral("%1 has no IPv4 address").arg(arrival.name)
      : linkLocal
          ? QStringLiteral("%1 is a link-local address, outside %2's %3")
                .arg(unit, arrival.name, cardSubnets(arrival))
          : QStringLiteral("%1 is outside %2's %3").arg(unit, arrival.name, cardSubnets(arrival));
  return {linkLocal ? UnitAddress::LinkLocal : UnitAddress::OtherSubnet,
          QStringLiteral("%1: %2%3")
              .arg(what, addAddress(arrival, suggestedAddress(sender, prefix)), orMove)};
}

}  // namespace velmaro

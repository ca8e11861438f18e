// Whether the PC can talk to a unit that answered the query on one of its cards: the
// unit's address must lie in a subnet of that card, or its web page cannot be reached.
#pragma once

#include <QString>

#include "platform/NetworkFacts.h"

namespace velmaro {

enum class UnitAddress {
  Reachable,    // in a subnet of the card (or the card is not known)
  NoAddress,    // 0.0.0.0: the unit has no address yet
  LinkLocal,    // 169.254.0.0/16: the unit gave itself one for want of a DHCP server
  OtherSubnet,  // any other address outside the card's subnets (a factory default...)
};

struct Reachability {
  UnitAddress kind = UnitAddress::Reachable;
  QString fix;  // one line: the address to add to which card, or the unit's subnet
};

// The sender of a reply (host byte order) against the card it arrived on.
Reachability ClassifyUnitAddress(quint32 sender, const platform::NetworkInterface& arrival);

// "a.b.c.d/n" of the subnet an address lies in.
QString SubnetText(platform::InterfaceAddress address);

}  // namespace velmaro

// The simulated unit's settings as its command line gives them.
#pragma once

#include "Hostile.h"
#include "UnitPages.h"
#include "UnitReply.h"

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <variant>

namespace velmaro::lab {

struct UnitOptions {
  UnitIdentity identity;
  PageSet pages;
  QHostAddress bindAddress = QHostAddress(QHostAddress::AnyIPv4);
  quint16 udpPort = 69;          // 0: no discovery answer at all
  quint16 httpPort = 0;          // 0: no web server
  int maxSeconds = 4 * 60 * 60;  // the unit ends by itself even when nobody takes the lab down

  // --- Hostile units (Hostile.h) ---
  quint16 floodPort = 0;                    // "flood PORT" datagrams here start a flood; 0: none
  std::optional<HostileWeb> hostileWeb;     // the web server breaks HTTP this way
  std::optional<QHostAddress> noiseVictim;  // answer echo requests with forged ICMP about it
  int noiseStaleMs = 1500;                  // the stale replies follow this much later
};

// The options, or the message that explains what is wrong with the arguments.
std::variant<UnitOptions, QString> ParseUnitOptions(const QStringList& arguments);

// True when the unit may send beyond loopback: it listens on another address, or it answers
// echo requests through raw sockets, which see and reach every card whatever it listens on.
bool SendsBeyondLoopback(const UnitOptions& options);

}  // namespace velmaro::lab

// The simulated unit's settings as its command line gives them.
#pragma once

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
  quint16 udpPort = 69;   // 0: no discovery answer at all
  quint16 httpPort = 0;   // 0: no web server
  int maxSeconds = 4 * 60 * 60;  // the unit ends by itself even when nobody takes the lab down
};

// The options, or the message that explains what is wrong with the arguments.
std::variant<UnitOptions, QString> ParseUnitOptions(const QStringList& arguments);

}  // namespace velmaro::lab

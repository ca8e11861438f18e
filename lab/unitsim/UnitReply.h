// The simulated unit's answer to the discovery query: the bytes a real unit would send.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

namespace velmaro::lab {

// How the reply datagram is shaped; everything but Normal is a unit misbehaving on purpose.
enum class ReplyShape {
  Normal,  // lines joined by CR LF
  LfOnly,  // lines joined by LF alone: one line to a reader that splits at CR LF
  Short,   // the normal reply cut to 31 bytes
  None,    // the unit stays silent
};

struct UnitIdentity {
  QString name;                     // line 1, before the NUL filler
  int nameWidth = 16;               // line 1 is padded with NUL up to this many bytes
  QString macText;                  // line 2, e.g. "00-0A-2B-01-80-01"
  QString freeText;                 // line 3
  std::optional<QString> portLine;  // line 4, the HTTP port in hex; absent: three lines
  ReplyShape shape = ReplyShape::Normal;
};

// True for the query datagram: exactly the 13 bytes "getdeviceinfo".
bool IsDiscoveryQuery(QByteArrayView datagram);

// The reply datagram (Latin-1 bytes); empty when the unit stays silent.
QByteArray BuildReply(const UnitIdentity& unit);

// Reads a shape name as the command line gives it ("normal", "lf", "short", "none").
std::optional<ReplyShape> ReplyShapeFromName(QStringView name);

}  // namespace velmaro::lab

#include "UnitReply.h"

namespace velmaro::lab {
namespace {
constexpr qsizetype kShortLength = 31;  // one byte below what a reader accepts
constexpr int kMaxNameWidth = 1024;     // keeps a typo in the width from building a huge datagram
}  // namespace

bool IsDiscoveryQuery(QByteArrayView datagram) {
  return datagram == QByteArrayView("getdeviceinfo");
}

QByteArray BuildReply(const UnitIdentity& unit) {
  if (unit.shape == ReplyShape::None) return {};
  QByteArray first = unit.name.toLatin1();
  const int width = qBound(0, unit.nameWidth, kMaxNameWidth);
  if (first.size() < width) first.append(width - first.size(), '\0');

  const QByteArray separator =
      unit.shape == ReplyShape::LfOnly ? QByteArray("\n") : QByteArray("\r\n");
  QByteArray reply =
      first + separator + unit.macText.toLatin1() + separator + unit.freeText.toLatin1();
  if (unit.portLine) reply += separator + unit.portLine->toLatin1();
  if (unit.shape == ReplyShape::Short) reply.truncate(kShortLength);
  return reply;
}

std::optional<ReplyShape> ReplyShapeFromName(QStringView name) {
  if (name == u"normal") return ReplyShape::Normal;
  if (name == u"lf") return ReplyShape::LfOnly;
  if (name == u"short") return ReplyShape::Short;
  if (name == u"none") return ReplyShape::None;
  return std::nullopt;
}

}  // namespace velmaro::lab

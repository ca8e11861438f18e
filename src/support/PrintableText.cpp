#include "support/PrintableText.h"

namespace velmaro {
namespace {

constexpr QChar kShown = u'?';
constexpr qsizetype kQuotedLength = 40;

}  // namespace

bool IsControlCharacter(QChar c) {
  const char16_t u = c.unicode();
  return u < 0x20 || (u >= 0x7F && u <= 0x9F) || u == 0x061C || u == 0x200E || u == 0x200F ||
         (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

QString PrintableText(QStringView text, QStringView keep) {
  QString out = text.toString();
  for (QChar& c : out) {
    if (IsControlCharacter(c) && !keep.contains(c)) c = kShown;
  }
  return out;
}

QString QuotedText(QStringView text, QChar mark) {
  QString shown = PrintableText(text.left(kQuotedLength));
  if (text.size() > kQuotedLength) shown += QStringLiteral("...");
  return mark + shown + mark;
}

}  // namespace velmaro

// Outside text made printable for terminals, spreadsheets and the log.
#include <gtest/gtest.h>

#include "support/ErrorLog.h"
#include "support/PrintableText.h"

namespace velmaro {
namespace {

TEST(PrintableText, ControlsAndReorderingMarksShowAsQuestionMarks) {
  const struct {
    const char16_t* text;
    const char16_t* keep;
    const char16_t* shown;
  } cases[] = {
      {u"Front door", u"", u"Front door"},
      {u"\x1b[2J\x07", u"", u"?[2J?"},
      {u"\x7f\x80\x9b"
       u"31m\x9f",
       u"", u"???31m?"},
      {u"\xa0\xe9t\xe9 \u00ff", u"", u"\xa0\xe9t\xe9 \u00ff"},
      {u"a\u202eb\u2066c\u200fd", u"", u"a?b?c?d"},
      {u"a\tb\r\nc\x1b", u"\t\r\n", u"a\tb\r\nc?"},
      {u"a\tb", u"", u"a?b"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PrintableText(QStringView(c.text), QStringView(c.keep)), QStringView(c.shown))
        << QString::fromUtf16(c.shown).toStdString();
  }
  EXPECT_EQ(QuotedText(QString(50, u'\x1b')),
            QStringLiteral("'") + QString(40, u'?') + QStringLiteral("...'"));
  EXPECT_EQ(QuotedText(u"p%1q", u'"'), u"\"p%1q\"");
}

// The log is 8-bit lines: a control character would split a record or reach whoever
// views the file with an escape sequence.
TEST(LogText, ControlsBecomeQuestionMarks) {
  EXPECT_EQ(LogText(QStringLiteral("eth\r\n0 \x1b[2J\x9b\xe9")), QByteArray("eth??0 ?[2J?\xe9"));
}

}  // namespace
}  // namespace velmaro

// Text from outside (a unit's reply, a web page, a downloaded file, a result read back) on
// its way to a terminal, a spreadsheet or the log: shown, never acted on.
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

namespace velmaro {

// What a terminal acts on instead of showing, or what reorders the text around it: the C0
// controls, DEL, the C1 controls (U+009B is a whole escape sequence's start on its own),
// and the bidirectional marks, embeddings, overrides and isolates.
bool IsControlCharacter(QChar c);

// The text with each such character shown as "?"; the characters in `keep` stay (CSV keeps
// TAB, CR and LF inside its quoted fields).
QString PrintableText(QStringView text, QStringView keep = {});

// Outside text quoted in a message: printable, between `mark`s, cut after 40 characters.
QString QuotedText(QStringView text, QChar mark = u'\'');

}  // namespace velmaro

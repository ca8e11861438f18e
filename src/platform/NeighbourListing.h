// The neighbour listing's layout as every backend writes it for the table's reader:
// "  address  physical-address  type", columns aligned, CR LF ended. Pure, for the
// backends' converters of their system's own listings.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include "support/ByteLines.h"
#include "support/Tunables.h"

namespace velmaro::platform {

enum class ListedType { Dynamic, Static, Invalid };

// The words of a line, split at runs of spaces and tabs.
QList<QByteArrayView> ListingWords(QByteArrayView line);

// Hands `take` the words of each line of a system's own listing, within the table's
// limits: its first kMaxArpListingBytes, and no line longer than kMaxArpLine.
template <class Take>
void ForEachListingLine(QByteArrayView listing, Take take) {
  ByteLines lines(listing.first(qMin<qsizetype>(listing.size(), tunables::kMaxArpListingBytes)));
  while (!lines.atEnd()) {
    const QByteArrayView line = lines.next();
    if (line.size() <= tunables::kMaxArpLine) take(ListingWords(line));
  }
}

// Appends one entry; an invalid one shows the all-zero physical address, whatever is given.
void AppendListingLine(QByteArray& out, QByteArrayView address, QByteArrayView physical,
                       ListedType type);

}  // namespace velmaro::platform

// The neighbour listing's layout as every backend writes it for the table's reader:
// "  address  physical-address  type", columns aligned, CR LF ended. Pure, for the
// backends' converters of their system's own listings.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

namespace velmaro::platform {

enum class ListedType { Dynamic, Static, Invalid };

// The words of a line, split at runs of spaces and tabs.
QList<QByteArrayView> ListingWords(QByteArrayView line);

// Appends one entry; an invalid one shows the all-zero physical address, whatever is given.
void AppendListingLine(QByteArray& out, QByteArrayView address, QByteArrayView physical,
                       ListedType type);

}  // namespace velmaro::platform

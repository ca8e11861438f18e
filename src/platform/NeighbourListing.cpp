#include "platform/NeighbourListing.h"

namespace velmaro::platform {
namespace {

// Written in place of the physical address of an entry that has none to give.
constexpr QByteArrayView kNoAddress = "00-00-00-00-00-00";
constexpr qsizetype kAddressColumn = 22;  // the listing's columns line up like this

bool isBlank(char c) { return c == ' ' || c == '\t'; }

void appendPadded(QByteArray& out, QByteArrayView field) {
  out.append(field);
  out.append(QByteArray(qMax<qsizetype>(1, kAddressColumn - field.size()), ' '));
}

}  // namespace

QList<QByteArrayView> ListingWords(QByteArrayView line) {
  QList<QByteArrayView> out;
  qsizetype i = 0;
  while (i < line.size()) {
    while (i < line.size() && isBlank(line[i])) ++i;
    const qsizetype start = i;
    while (i < line.size() && !isBlank(line[i])) ++i;
    if (i > start) out.append(line.sliced(start, i - start));
  }
  return out;
}

void AppendListingLine(QByteArray& out, QByteArrayView address, QByteArrayView physical,
                       ListedType type) {
  out.append("  ");
  appendPadded(out, address);
  appendPadded(out, type == ListedType::Invalid ? kNoAddress : physical);
  out.append(type == ListedType::Invalid  ? "invalid"
             : type == ListedType::Static ? "static"
                                          : "dynamic");
  out.append("\r\n");
}

}  // namespace velmaro::platform

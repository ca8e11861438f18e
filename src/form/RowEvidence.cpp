#include "form/RowEvidence.h"

namespace velmaro {

QString evidenceKey(Evidence evidence) {
  switch (evidence) {
    case Evidence::Query:
      return QStringLiteral("query");
    case Evidence::Echo:
      return QStringLiteral("echo");
    case Evidence::Neighbours:
      return QStringLiteral("neighbours");
    case Evidence::Page:
      break;
  }
  return QStringLiteral("page");
}

QStringList EvidenceSet::keys() const {
  QStringList out;
  for (Evidence e : kEvidence) {
    if (has(e)) out.append(evidenceKey(e));
  }
  return out;
}

bool EvidenceSet::addKey(QStringView key) {
  for (Evidence e : kEvidence) {
    if (key == evidenceKey(e)) {
      add(e);
      return true;
    }
  }
  return false;
}

}  // namespace velmaro

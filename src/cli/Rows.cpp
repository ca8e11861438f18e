#include "cli/Rows.h"

#include "form/InterfaceBroadcast.h"

namespace velmaro::cli {

std::vector<RowRecord> RowsOf(const ResultList& list) {
  std::vector<RowRecord> rows;
  rows.reserve(static_cast<size_t>(list.count()));
  for (int position = 1; position <= list.count(); ++position) {
    const RowId row = list.rowAt(position);
    RowRecord record;
    for (int i = 0; i < ResultList::kColumnCount; ++i)
      record.cells[static_cast<size_t>(i)] = list.cell(row, i);
    record.icon = iconKey(list.icon(row));
    record.seen = list.evidence(row);
    rows.push_back(std::move(record));
  }
  return rows;
}

std::vector<RowRecord> RowsOf(const ResultList& list, const InterfaceBroadcast& scan) {
  std::vector<RowRecord> rows = RowsOf(list);
  for (int position = 1; position <= list.count(); ++position) {
    if (const auto origin = scan.originOf(list.rowAt(position))) {
      rows[static_cast<size_t>(position - 1)].card =
          ReplyCard{origin->interfaceName, origin->reach.fix};
    }
  }
  return rows;
}

QString MacKey(QStringView mac) {
  QString key;
  for (QChar c : mac) {
    if (c == u'-' || c == u':' || c == u'.') continue;
    const bool hex =
        (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
    if (!hex || key.size() == 12) return {};
    key += c.toUpper();
  }
  return key.size() == 12 ? key : QString();
}

QString HostKey(QStringView mac, const QString& ip) {
  const QString key = MacKey(mac);
  return key.isEmpty() ? QStringLiteral("ip ") + ip : key;
}

void AppendRows(ResultList& list, const std::vector<RowRecord>& rows) {
  for (const RowRecord& record : rows) {
    const RowId row = list.append(record.cells[0]);
    list.setTag(row, record.cells[0]);
    list.setEvidence(row, record.seen);
    for (RowIcon icon : {RowIcon::Add, RowIcon::Remove}) {
      if (record.icon == iconKey(icon)) list.setIcon(row, icon);
    }
    for (int i = 1; i < ResultList::kColumnCount; ++i)
      list.setCell(row, i, record.cells[static_cast<size_t>(i)]);
  }
}

}  // namespace velmaro::cli

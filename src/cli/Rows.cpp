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

void AppendRows(ResultList& list, const std::vector<RowRecord>& rows) {
  for (const RowRecord& record : rows) {
    const RowId row = list.append(record.cells[0]);
    list.setTag(row, record.cells[0]);
    for (RowIcon icon : {RowIcon::Add, RowIcon::Remove}) {
      if (record.icon == iconKey(icon)) list.setIcon(row, icon);
    }
    for (int i = 1; i < ResultList::kColumnCount; ++i)
      list.setCell(row, i, record.cells[static_cast<size_t>(i)]);
  }
}

}  // namespace velmaro::cli

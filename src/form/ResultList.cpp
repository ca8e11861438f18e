#include "form/ResultList.h"

#include <algorithm>

#include "support/VbError.h"

namespace velmaro {

const std::array<ResultList::Column, ResultList::kColumnCount>& ResultList::columns() {
  static const std::array<Column, kColumnCount> kColumns{{
      {"ip", "Host IP", 1800},
      {"httpport", "HTTP Port", 1200},
      {"ping", "Ping (ms)", 1100},
      {"mac", "MAC", 2200},
      {"mfg", "Manufacturer", 2600},
      {"name", "Title", 3320},
  }};
  return kColumns;
}

QString iconKey(RowIcon icon) {
  switch (icon) {
    case RowIcon::Add:
      return QStringLiteral("add");
    case RowIcon::Remove:
      return QStringLiteral("remove");
    case RowIcon::None:
      break;
  }
  return {};
}

ResultList::ResultList(QObject* parent) : QAbstractTableModel(parent) {}

int ResultList::GetColumnIndex(QStringView key) const {
  const auto& cols = columns();
  for (int i = 0; i < kColumnCount; ++i) {
    if (key == QLatin1String(cols[i].key)) return i;
  }
  throw err::elementNotFound();
}

void ResultList::clear() {
  beginResetModel();
  m_rows.clear();
  m_index.clear();
  m_indexDirty = false;
  const bool hadSelection = m_selected.has_value();
  m_selected.reset();
  endResetModel();
  if (hadSelection) emit selectionChanged();
}

RowId ResultList::rowAt(int position) const {
  if (position < 1 || position > count()) throw err::indexOutOfBounds();
  return RowId{m_rows[position - 1].id};
}

RowId ResultList::append(const QString& text) {
  Row row;
  row.id = m_nextId++;
  row.text = text;
  const int at = m_sorted ? insertionPoint(row) : count();
  beginInsertRows({}, at, at);
  m_rows.insert(m_rows.begin() + at, std::move(row));
  if (at == count() - 1 && !m_indexDirty) {
    m_index[m_rows.back().id] = at;
  } else {
    m_indexDirty = true;
  }
  endInsertRows();
  return RowId{m_rows[at].id};
}

void ResultList::remove(RowId row) {
  const int at = indexOf(row);
  if (at < 0) throw err::objectNotSet();
  beginRemoveRows({}, at, at);
  m_rows.erase(m_rows.begin() + at);
  m_index.erase(row.value);
  m_indexDirty = true;
  endRemoveRows();
  if (m_selected == row.value) {
    m_selected.reset();
    emit selectionChanged();
  }
}

bool ResultList::exists(RowId row) const { return indexOf(row) >= 0; }

int ResultList::positionOf(RowId row) const { return indexOf(row) + 1; }

std::optional<RowId> ResultList::findByText(QStringView text) const {
  for (const Row& row : m_rows) {
    if (row.text == text) return RowId{row.id};
  }
  return std::nullopt;
}

QString ResultList::text(RowId row) const { return rowFor(row).text; }

QString ResultList::tag(RowId row) const { return rowFor(row).tag; }

void ResultList::setTag(RowId row, const QString& tag) { rowFor(row).tag = tag; }

RowIcon ResultList::icon(RowId row) const { return rowFor(row).icon; }

void ResultList::setIcon(RowId row, RowIcon icon) {
  Row& r = rowFor(row);
  if (r.icon == icon) return;
  r.icon = icon;
  const QModelIndex at = index(indexOf(row), 0);
  emit dataChanged(at, at, {Qt::DecorationRole, IconKeyRole});
}

QString ResultList::cell(RowId row, int index) const {
  if (index < 0 || index >= kColumnCount) throw err::indexOutOfBounds();
  return rowFor(row).column(index);
}

void ResultList::setCell(RowId row, int index, const QString& value) {
  if (index < 0 || index >= kColumnCount) throw err::indexOutOfBounds();
  Row& r = rowFor(row);
  QString& target = index == 0 ? r.text : r.cells[index - 1];
  if (target == value) return;
  target = value;
  const QModelIndex at = this->index(indexOf(row), index);
  emit dataChanged(at, at, {Qt::DisplayRole});
}

EvidenceSet ResultList::evidence(RowId row) const { return rowFor(row).evidence; }

void ResultList::setEvidence(RowId row, EvidenceSet evidence) { rowFor(row).evidence = evidence; }

void ResultList::addEvidence(RowId row, Evidence evidence) { rowFor(row).evidence.add(evidence); }

std::optional<RowId> ResultList::selected() const {
  if (!m_selected) return std::nullopt;
  return RowId{*m_selected};
}

void ResultList::select(RowId row) {
  rowFor(row);  // a vanished row cannot be selected
  if (m_selected == row.value) return;
  m_selected = row.value;
  emit selectionChanged();
}

void ResultList::deselect() {
  if (!m_selected) return;
  m_selected.reset();
  emit selectionChanged();
}

void ResultList::ensureVisible(RowId row) {
  const int at = indexOf(row);
  if (at < 0) throw err::objectNotSet();
  emit scrollToRequested(at);
}

void ResultList::setSortColumn(int column) {
  if (column < 0 || column >= kColumnCount) throw err::invalidCall();
  m_sortColumn = column;
  if (m_sorted) resort();
}

void ResultList::setSortAscending(bool ascending) {
  m_sortAscending = ascending;
  if (m_sorted) resort();
}

void ResultList::setSortedMode(bool on) {
  m_sorted = on;
  if (m_sorted) resort();
}

int ResultList::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : count(); }

int ResultList::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QVariant ResultList::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= count()) return {};
  const Row& row = m_rows[index.row()];
  switch (role) {
    case Qt::DisplayRole:
      return row.column(index.column());
    case IconKeyRole:
      return index.column() == 0 ? iconKey(row.icon) : QString();
    case RowIdRole:
      return row.id;
    default:
      return {};
  }
}

QVariant ResultList::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || section < 0 || section >= kColumnCount) return {};
  if (role == Qt::DisplayRole) return QString::fromLatin1(columns()[section].header);
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
  return {};
}

Qt::ItemFlags ResultList::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

int ResultList::indexOf(RowId row) const {
  if (m_indexDirty) rebuildIndex();
  const auto it = m_index.find(row.value);
  return it == m_index.end() ? -1 : it->second;
}

ResultList::Row& ResultList::rowFor(RowId row) {
  const int at = indexOf(row);
  if (at < 0) throw err::objectNotSet();
  return m_rows[at];
}

const ResultList::Row& ResultList::rowFor(RowId row) const {
  const int at = indexOf(row);
  if (at < 0) throw err::objectNotSet();
  return m_rows[at];
}

void ResultList::rebuildIndex() const {
  m_index.clear();
  m_index.reserve(m_rows.size());
  for (int i = 0; i < count(); ++i) m_index[m_rows[i].id] = i;
  m_indexDirty = false;
}

bool ResultList::lessThan(const Row& a, const Row& b) const {
  const int c =
      QString::compare(a.column(m_sortColumn), b.column(m_sortColumn), Qt::CaseInsensitive);
  return m_sortAscending ? c < 0 : c > 0;
}

int ResultList::insertionPoint(const Row& row) const {
  // After every row it does not sort before, so equal rows keep their arrival order.
  const auto it = std::upper_bound(m_rows.begin(), m_rows.end(), row,
                                   [this](const Row& a, const Row& b) { return lessThan(a, b); });
  return static_cast<int>(it - m_rows.begin());
}

void ResultList::resort() {
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  const QModelIndexList before = persistentIndexList();
  std::vector<quint64> ids;
  ids.reserve(before.size());
  for (const QModelIndex& i : before) ids.push_back(m_rows[i.row()].id);
  std::stable_sort(m_rows.begin(), m_rows.end(),
                   [this](const Row& a, const Row& b) { return lessThan(a, b); });
  rebuildIndex();
  QModelIndexList after;
  after.reserve(before.size());
  for (int i = 0; i < before.size(); ++i) {
    after.push_back(index(m_index.at(ids[i]), before[i].column()));
  }
  changePersistentIndexList(before, after);
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

}  // namespace velmaro

// The result list's row model: one row per host found, with its text (the address), tag,
// change icon and five cells addressed by column key. Rows have stable ids, so a
// procedure that waits while the list changes can tell that its row has gone.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>
#include <optional>
#include <unordered_map>
#include <vector>

#include "form/RowEvidence.h"

namespace velmaro {

enum class RowIcon { None, Add, Remove };

// A row's stable handle. It survives sorting and the removal of other rows; once its row
// is removed every access through it fails with error 91.
struct RowId {
  quint64 value = 0;
  friend bool operator==(RowId, RowId) = default;
};

class ResultList final : public QAbstractTableModel {
  Q_OBJECT

 public:
  static constexpr int kColumnCount = 6;
  struct Column {
    const char* key;
    const char* header;
    int widthTwips;
  };
  static const std::array<Column, kColumnCount>& columns();

  // Extra model roles for the front ends.
  enum Role { IconKeyRole = Qt::UserRole + 1, RowIdRole };

  explicit ResultList(QObject* parent = nullptr);

  // Cell index of a column key: "ip" 0, "httpport" 1, "ping" 2, "mac" 3, "mfg" 4,
  // "name" 5. A key no column carries fails with error 35601.
  int GetColumnIndex(QStringView key) const;

  // Row operations, positions counted from 1 in display order.
  void clear();
  int count() const { return static_cast<int>(m_rows.size()); }
  RowId rowAt(int position) const;    // 35600 outside 1..count
  RowId append(const QString& text);  // no icon, empty cells
  void remove(RowId row);
  bool exists(RowId row) const;
  int positionOf(RowId row) const;  // 0 when gone
  // First row from the top whose text equals `text` exactly.
  std::optional<RowId> findByText(QStringView text) const;

  QString text(RowId row) const;
  QString tag(RowId row) const;
  void setTag(RowId row, const QString& tag);
  RowIcon icon(RowId row) const;
  void setIcon(RowId row, RowIcon icon);
  // Index 0 is the row text; 1 to 5 the cells.
  QString cell(RowId row, int index) const;
  void setCell(RowId row, int index, const QString& value);
  // What answered for the row. No view shows it, so changing it signals nothing.
  EvidenceSet evidence(RowId row) const;
  void setEvidence(RowId row, EvidenceSet evidence);
  void addEvidence(RowId row, Evidence evidence);

  // The one selected row of the list.
  std::optional<RowId> selected() const;
  void select(RowId row);
  void deselect();
  void ensureVisible(RowId row);

  // Sort state: column (cell index), direction and sorted mode (on after the first
  // header click, never off again). Sorting compares cell texts, ignoring letter case.
  int sortColumn() const { return m_sortColumn; }
  bool sortAscending() const { return m_sortAscending; }
  bool sortedMode() const { return m_sorted; }
  void setSortColumn(int column);
  void setSortAscending(bool ascending);
  void setSortedMode(bool on);  // reorders at once when on

  // QAbstractItemModel
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

 signals:
  void selectionChanged();          // the selected row changed (or was removed)
  void scrollToRequested(int row);  // model row to bring into view

 private:
  struct Row {
    quint64 id = 0;
    QString text;
    QString tag;
    RowIcon icon = RowIcon::None;
    std::array<QString, kColumnCount - 1> cells;
    EvidenceSet evidence;
    const QString& column(int index) const { return index == 0 ? text : cells[index - 1]; }
  };

  int indexOf(RowId row) const;  // 0-based, -1 when gone
  Row& rowFor(RowId row);        // error 91 when gone
  const Row& rowFor(RowId row) const;
  void rebuildIndex() const;
  void resort();
  bool lessThan(const Row& a, const Row& b) const;
  int insertionPoint(const Row& row) const;

  std::vector<Row> m_rows;
  mutable std::unordered_map<quint64, int> m_index;  // id -> position in m_rows
  mutable bool m_indexDirty = false;
  quint64 m_nextId = 1;
  std::optional<quint64> m_selected;
  int m_sortColumn = 0;
  bool m_sortAscending = true;
  bool m_sorted = false;
};

QString iconKey(RowIcon icon);  // "", "add", "remove"

}  // namespace velmaro

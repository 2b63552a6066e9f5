#pragma once
// The rows of the result list lvExPreview: one per work-list entry, with
// the texts of twelve columns (thirteen while a report's findings are
// shown), kept in the list's sort order. The texts stay Windows-1252 bytes
// and are turned into display strings only for the rows on screen, so a
// list of 100,000 flights fills in about the time it takes to format them.
// The sort key and order live here, as they did in the list control.
#include <QAbstractTableModel>
#include <string>
#include <vector>

#include "search/result_row.h"

namespace velk {

class SearchResultModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  struct Row {
    int entry = -1;       // the work-list entry the row stands for
    ResultCells cells;    // columns 0 .. 11
    std::string errors;   // column 12, when shown
  };
  // The entry as a number, and the row key "#" & entry.
  static constexpr int kEntryRole = Qt::UserRole;
  static constexpr int kKeyRole = Qt::UserRole + 1;

  explicit SearchResultModel(QObject* parent = nullptr);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  // Orders the rows by the texts of `column` (letter case ignored, equal
  // texts keeping their order) and makes it the sort key.
  void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  int SortColumn() const { return sortColumn_; }
  Qt::SortOrder SortOrder() const { return sortOrder_; }

  // Replaces every row and shows or hides the Errors column; the rows come
  // in work-list order and are then sorted by the sort key.
  void SetRows(std::vector<Row> rows, bool errorsColumn);
  void Clear();
  bool HasErrorsColumn() const { return errorsColumn_; }

  // The entry of display row `row` (-1 outside), and the display row of an
  // entry (-1 when no row stands for it).
  int Entry(int row) const;
  int RowOfEntry(int entry) const;
  const Row& At(int row) const { return rows_[order_[row]]; }

  // Adds a row at its place in the sort order; returns its display row.
  int AddRow(Row row);
  // Rewrites columns 0 .. 11 of a row in place (the row is not moved).
  void SetCells(int row, const ResultCells& cells);
  // Removes the rows of the given entries.
  void RemoveEntries(const std::vector<int>& entries);
  // Shows the Depart and Arrive columns of every row in zone `to` instead
  // of `from`, then sorts again.
  void ShiftZone(const std::string& from, const std::string& to);

 private:
  void SortRows();
  const std::string& SortText(const Row& row) const;

  // The rows in the order they came; order_ lists the shown ones in display
  // order, so a sort moves numbers, not texts.
  std::vector<Row> rows_;
  std::vector<int> order_;
  bool errorsColumn_ = false;
  int sortColumn_ = 0;
  Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};

}  // namespace velk

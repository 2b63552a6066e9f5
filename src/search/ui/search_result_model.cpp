#include "search/ui/search_result_model.h"

#include <algorithm>
#include <numeric>
#include <unordered_set>

#include "platform/qt/qt_text.h"
#include "platform/text_codec.h"

namespace velk {

SearchResultModel::SearchResultModel(QObject* parent) : QAbstractTableModel(parent) {}

int SearchResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int SearchResultModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return errorsColumn_ ? kResultColumns + 1 : kResultColumns;
}

QVariant SearchResultModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(order_.size())) return {};
  const Row& row = rows_[order_[index.row()]];
  switch (role) {
    case Qt::DisplayRole: {
      int c = index.column();
      if (c < kResultColumns) return FromPlanText(row.cells[c]);
      if (c == kErrorsColumn && errorsColumn_) return FromPlanText(row.errors);
      return {};
    }
    case kEntryRole: return row.entry;
    case kKeyRole: return QString("#%1").arg(row.entry);
    default: return {};
  }
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  if (section < 0 || section >= columnCount()) return {};
  return QString(kResultHeaders[section]);
}

void SearchResultModel::sort(int column, Qt::SortOrder order) {
  if (column < 0 || column >= columnCount()) return;
  sortColumn_ = column;
  sortOrder_ = order;
  SortRows();
}

const std::string& SearchResultModel::SortText(const Row& row) const {
  return sortColumn_ < kResultColumns ? row.cells[sortColumn_] : row.errors;
}

void SearchResultModel::SortRows() {
  // The selection and the current row follow their rows.
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  QModelIndexList before = persistentIndexList();
  std::vector<int> held;
  held.reserve(before.size());
  for (const QModelIndex& i : before) held.push_back(i.row() < rowCount() ? order_[i.row()] : -1);

  // Each text is upper-cased once, so the comparisons are plain byte runs.
  std::vector<std::string> keys(rows_.size());
  for (int stored : order_) keys[stored] = UpperCp1252(SortText(rows_[stored]));
  if (sortOrder_ == Qt::AscendingOrder)
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return keys[a] < keys[b]; });
  else
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) { return keys[b] < keys[a]; });

  if (!before.isEmpty()) {
    std::vector<int> shownAt(rows_.size(), -1);
    for (size_t r = 0; r < order_.size(); ++r) shownAt[order_[r]] = static_cast<int>(r);
    QModelIndexList after;
    for (qsizetype k = 0; k < before.size(); ++k) {
      int stored = held[static_cast<size_t>(k)];
      int r = stored < 0 ? -1 : shownAt[stored];
      after.push_back(r < 0 ? QModelIndex() : index(r, before[k].column()));
    }
    changePersistentIndexList(before, after);
  }
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void SearchResultModel::SetRows(std::vector<Row> rows, bool errorsColumn) {
  beginResetModel();
  rows_ = std::move(rows);
  order_.resize(rows_.size());
  std::iota(order_.begin(), order_.end(), 0);
  errorsColumn_ = errorsColumn;
  if (sortColumn_ >= columnCount()) sortColumn_ = 0;
  endResetModel();
  SortRows();
}

void SearchResultModel::Clear() {
  beginResetModel();
  rows_.clear();
  order_.clear();
  endResetModel();
}

int SearchResultModel::Entry(int row) const {
  if (row < 0 || row >= static_cast<int>(order_.size())) return -1;
  return rows_[order_[row]].entry;
}

int SearchResultModel::RowOfEntry(int entry) const {
  for (size_t r = 0; r < order_.size(); ++r)
    if (rows_[order_[r]].entry == entry) return static_cast<int>(r);
  return -1;
}

int SearchResultModel::AddRow(Row row) {
  const std::string key = SortText(row);
  auto after = [&](int stored) {
    int cmp = CompareNoCaseCp1252(SortText(rows_[stored]), key);
    return sortOrder_ == Qt::AscendingOrder ? cmp <= 0 : cmp >= 0;
  };
  // Behind every row that sorts before it or equal to it.
  auto at = std::partition_point(order_.begin(), order_.end(), after);
  int position = static_cast<int>(at - order_.begin());
  beginInsertRows({}, position, position);
  rows_.push_back(std::move(row));
  order_.insert(order_.begin() + position, static_cast<int>(rows_.size()) - 1);
  endInsertRows();
  return position;
}

void SearchResultModel::SetCells(int row, const ResultCells& cells) {
  if (row < 0 || row >= static_cast<int>(order_.size())) return;
  rows_[order_[row]].cells = cells;
  emit dataChanged(index(row, 0), index(row, kResultColumns - 1));
}

void SearchResultModel::RemoveEntries(const std::vector<int>& entries) {
  std::unordered_set<int> gone(entries.begin(), entries.end());
  // From the bottom up, in runs, so each removal leaves the rows above alone.
  // The texts stay stored until the next fill; only their places go.
  int r = static_cast<int>(order_.size()) - 1;
  auto isGone = [&](int row) { return gone.count(rows_[order_[row]].entry) > 0; };
  while (r >= 0) {
    if (!isGone(r)) {
      --r;
      continue;
    }
    int last = r;
    while (r - 1 >= 0 && isGone(r - 1)) --r;
    beginRemoveRows({}, r, last);
    order_.erase(order_.begin() + r, order_.begin() + last + 1);
    endRemoveRows();
    --r;
  }
}

void SearchResultModel::ShiftZone(const std::string& from, const std::string& to) {
  if (order_.empty()) return;
  for (int stored : order_) {
    Row& row = rows_[stored];
    for (int c : {kDepartColumn, kArriveColumn}) row.cells[c] = ReshiftTimeCell(row.cells[c], from, to);
  }
  emit dataChanged(index(0, kDepartColumn), index(static_cast<int>(order_.size()) - 1, kArriveColumn));
  SortRows();
}

}  // namespace velk

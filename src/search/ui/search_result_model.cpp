#include "search/ui/search_result_model.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "platform/qt/qt_text.h"
#include "platform/text_codec.h"

namespace velk {
namespace {

// Windows-1252 texts compared with letter case ignored.
int CompareNoCase(const std::string& a, const std::string& b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    unsigned char x = UpperCp1252Byte(static_cast<unsigned char>(a[i]));
    unsigned char y = UpperCp1252Byte(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

}  // namespace

SearchResultModel::SearchResultModel(QObject* parent) : QAbstractTableModel(parent) {}

int SearchResultModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int SearchResultModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid()) return 0;
  return errorsColumn_ ? kResultColumns + 1 : kResultColumns;
}

QVariant SearchResultModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  const Row& row = rows_[index.row()];
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

void SearchResultModel::SortRows() {
  // The selection and the current row follow their rows.
  emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
  QModelIndexList before = persistentIndexList();
  std::vector<int> entries;
  entries.reserve(before.size());
  for (const QModelIndex& i : before) entries.push_back(Entry(i.row()));

  const int c = sortColumn_;
  auto text = [c](const Row& r) -> const std::string& { return c < kResultColumns ? r.cells[c] : r.errors; };
  if (sortOrder_ == Qt::AscendingOrder)
    std::stable_sort(rows_.begin(), rows_.end(),
                     [&](const Row& a, const Row& b) { return CompareNoCase(text(a), text(b)) < 0; });
  else
    std::stable_sort(rows_.begin(), rows_.end(),
                     [&](const Row& a, const Row& b) { return CompareNoCase(text(a), text(b)) > 0; });

  if (!before.isEmpty()) {
    std::unordered_map<int, int> rowOf;
    for (size_t r = 0; r < rows_.size(); ++r) rowOf.emplace(rows_[r].entry, static_cast<int>(r));
    QModelIndexList after;
    for (qsizetype k = 0; k < before.size(); ++k) {
      auto it = rowOf.find(entries[static_cast<size_t>(k)]);
      after.push_back(it == rowOf.end() ? QModelIndex() : index(it->second, before[k].column()));
    }
    changePersistentIndexList(before, after);
  }
  emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void SearchResultModel::SetRows(std::vector<Row> rows, bool errorsColumn) {
  beginResetModel();
  rows_ = std::move(rows);
  errorsColumn_ = errorsColumn;
  if (sortColumn_ >= columnCount()) sortColumn_ = 0;
  endResetModel();
  SortRows();
}

void SearchResultModel::Clear() {
  beginResetModel();
  rows_.clear();
  endResetModel();
}

int SearchResultModel::Entry(int row) const {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return -1;
  return rows_[row].entry;
}

int SearchResultModel::RowOfEntry(int entry) const {
  for (size_t r = 0; r < rows_.size(); ++r)
    if (rows_[r].entry == entry) return static_cast<int>(r);
  return -1;
}

int SearchResultModel::AddRow(Row row) {
  const int c = sortColumn_;
  const std::string& key = c < kResultColumns ? row.cells[c] : row.errors;
  auto after = [&](const Row& r) {
    int cmp = CompareNoCase(c < kResultColumns ? r.cells[c] : r.errors, key);
    return sortOrder_ == Qt::AscendingOrder ? cmp <= 0 : cmp >= 0;
  };
  // Behind every row that sorts before it or equal to it.
  auto at = std::partition_point(rows_.begin(), rows_.end(), after);
  int position = static_cast<int>(at - rows_.begin());
  beginInsertRows({}, position, position);
  rows_.insert(at, std::move(row));
  endInsertRows();
  return position;
}

void SearchResultModel::SetCells(int row, const ResultCells& cells) {
  if (row < 0 || row >= static_cast<int>(rows_.size())) return;
  rows_[row].cells = cells;
  emit dataChanged(index(row, 0), index(row, kResultColumns - 1));
}

void SearchResultModel::RemoveEntries(const std::vector<int>& entries) {
  std::unordered_set<int> gone(entries.begin(), entries.end());
  // From the bottom up, in runs, so each removal leaves the rows above alone.
  int r = static_cast<int>(rows_.size()) - 1;
  while (r >= 0) {
    if (!gone.count(rows_[r].entry)) {
      --r;
      continue;
    }
    int last = r;
    while (r - 1 >= 0 && gone.count(rows_[r - 1].entry)) --r;
    beginRemoveRows({}, r, last);
    rows_.erase(rows_.begin() + r, rows_.begin() + last + 1);
    endRemoveRows();
    --r;
  }
}

void SearchResultModel::ShiftZone(const std::string& from, const std::string& to) {
  if (rows_.empty()) return;
  for (Row& row : rows_) {
    for (int c : {kDepartColumn, kArriveColumn}) row.cells[c] = ReshiftTimeCell(row.cells[c], from, to);
  }
  emit dataChanged(index(0, kDepartColumn), index(static_cast<int>(rows_.size()) - 1, kArriveColumn));
  SortRows();
}

}  // namespace velk

#include "gui/list_row.h"

#include <QTreeWidget>

namespace velk {

ListRow::ListRow(QStringList texts) : QTreeWidgetItem(QTreeWidgetItem::UserType), texts_(std::move(texts)) {}

QVariant ListRow::data(int column, int role) const {
  if ((role == Qt::DisplayRole || role == Qt::EditRole) && column >= 0 && column < texts_.size())
    return texts_[column];
  return QTreeWidgetItem::data(column, role);
}

void ListRow::setData(int column, int role, const QVariant& value) {
  if ((role == Qt::DisplayRole || role == Qt::EditRole) && column >= 0 && column < texts_.size()) {
    texts_[column] = value.toString();
    emitDataChanged();
    return;
  }
  QTreeWidgetItem::setData(column, role, value);
}

bool ListRow::operator<(const QTreeWidgetItem& other) const {
  const int column = treeWidget() ? treeWidget()->sortColumn() : 0;
  auto* row = dynamic_cast<const ListRow*>(&other);
  if (row && column >= 0 && column < texts_.size() && column < row->texts_.size())
    return texts_[column].compare(row->texts_[column], Qt::CaseInsensitive) < 0;
  return text(column).compare(other.text(column), Qt::CaseInsensitive) < 0;
}

}  // namespace velk

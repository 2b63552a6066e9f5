#pragma once
// A row of a report-style list (QTreeWidget) that keeps its texts itself and
// sorts by the text of the sort column without regard to letter case; rows
// of equal text keep their order. Lists of thousands of rows fill and sort
// quickly with it.
#include <QStringList>
#include <QTreeWidgetItem>

namespace velk {

class ListRow : public QTreeWidgetItem {
 public:
  // A row that takes its texts later through setText.
  ListRow() : QTreeWidgetItem(QTreeWidgetItem::UserType) {}
  explicit ListRow(QTreeWidget* list) : QTreeWidgetItem(list, QTreeWidgetItem::UserType) {}
  explicit ListRow(QStringList texts);

  QVariant data(int column, int role) const override;
  void setData(int column, int role, const QVariant& value) override;
  bool operator<(const QTreeWidgetItem& other) const override;

 protected:
  QStringList texts_;
};

}  // namespace velk

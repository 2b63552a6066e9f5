#include "app/c_resize.h"

#include <cmath>

namespace velk {

void cResize::Map(QWidget* control, int topMode, int leftMode, int bottomMode, int rightMode,
                  int byOffset) {
  if (!control) return;
  QRect g = control->geometry();
  ResizeEntry rules;
  rules.Top = g.top();
  rules.Left = g.left();
  rules.Bottom = g.top() + g.height();
  rules.Right = g.left() + g.width();
  rules.TopMode = topMode;
  rules.LeftMode = leftMode;
  rules.BottomMode = bottomMode;
  rules.RightMode = rightMode;
  rules.ByOffset = byOffset;
  entries_.push_back({control, rules});
}

void cResize::rSize(QSize formSize) {
  for (const Entry& e : entries_) {
    if (!e.Control) continue;
    QRect g = e.Control->geometry();
    ControlBox box = PlaceByRules(e.Rules, {double(g.top()), double(g.left()), double(g.height()),
                                            double(g.width())},
                                  formSize.height(), formSize.width(), referenceHeight_,
                                  referenceWidth_);
    QRect placed(int(std::lround(box.Left)), int(std::lround(box.Top)),
                 int(std::lround(box.Width)), int(std::lround(box.Height)));
    if (placed != g) e.Control->setGeometry(placed);
  }
}

}  // namespace velk

#pragma once
// Keeps the controls of a resizable form in place when the form changes
// size: each control is registered once with its design geometry and a rule
// per edge (see resize_rules.h), and rSize re-lays all of them.
#include <QPointer>
#include <QSize>
#include <QWidget>
#include <vector>

#include "app/resize_rules.h"

namespace velk {

class cResize {
 public:
  // The form's size at the time the controls are registered.
  void hParam(int referenceHeight) { referenceHeight_ = referenceHeight; }
  void wParam(int referenceWidth) { referenceWidth_ = referenceWidth; }

  // Registers `control` with its current geometry. Register each control once.
  void Map(QWidget* control, int topMode, int leftMode, int bottomMode, int rightMode,
           int byOffset);
  // Places every registered control for a form of `formSize`. Controls that
  // are gone are passed over.
  void rSize(QSize formSize);

  int EntryCount() const { return static_cast<int>(entries_.size()); }

 private:
  struct Entry {
    QPointer<QWidget> Control;
    ResizeEntry Rules;
  };
  std::vector<Entry> entries_;
  int referenceHeight_ = 0;
  int referenceWidth_ = 0;
};

}  // namespace velk

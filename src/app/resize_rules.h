#pragma once
// Edge rules that keep a control in place when its form changes size.
// Standard library only: cResize applies them to widgets.
namespace velk {

// Edge modes: 0 the edge stays, 1 it follows the form's far edge, 2 it moves
// by half the change (keeping the control centred between the form's edges).
struct ResizeEntry {
  // Geometry at registration, in form units.
  int Top = 0;
  int Left = 0;
  int Bottom = 0;  // Top + height
  int Right = 0;   // Left + width
  int TopMode = 0;
  int LeftMode = 0;
  int BottomMode = 0;
  int RightMode = 0;
  // 1: an edge moves by the change of the form's size; 0: in proportion to it.
  int ByOffset = 1;
};

struct ControlBox {
  double Top = 0;
  double Left = 0;
  double Height = 0;
  double Width = 0;
};

// The control's new box for a form of height h and width w, registered at
// reference height rh and width rw. The bottom and right edges are placed
// against the top and left just computed. A height or width that would come
// out negative is not applied: the current one stays.
ControlBox PlaceByRules(const ResizeEntry& entry, const ControlBox& current, double h, double w,
                        double rh, double rw);

}  // namespace velk

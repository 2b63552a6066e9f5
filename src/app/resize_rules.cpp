#include "app/resize_rules.h"

namespace velk {
namespace {

// One edge at its recorded position `at`, for the form's current extent and
// its reference extent.
double PlaceEdge(int mode, int byOffset, double at, double extent, double reference) {
  switch (mode) {
    case 1:
      return byOffset == 1 ? at + (extent - reference) : at * extent / reference;
    case 2:
      return byOffset != 0 ? at + (extent - reference) / 2 : at + at * (extent / reference - 1) / 2;
    default:
      return at;
  }
}

}  // namespace

ControlBox PlaceByRules(const ResizeEntry& e, const ControlBox& current, double h, double w,
                        double rh, double rw) {
  ControlBox box = current;
  // A proportional rule against a zero reference would divide by zero.
  if (e.ByOffset != 1 && (rh == 0 || rw == 0)) return box;
  if (e.TopMode != 0) box.Top = PlaceEdge(e.TopMode, e.ByOffset, e.Top, h, rh);
  if (e.LeftMode != 0) box.Left = PlaceEdge(e.LeftMode, e.ByOffset, e.Left, w, rw);
  if (e.BottomMode != 0) {
    double height = PlaceEdge(e.BottomMode, e.ByOffset, e.Bottom, h, rh) - box.Top;
    if (height >= 0) box.Height = height;
  }
  if (e.RightMode != 0) {
    double width = PlaceEdge(e.RightMode, e.ByOffset, e.Right, w, rw) - box.Left;
    if (width >= 0) box.Width = width;
  }
  return box;
}

}  // namespace velk

#include "app/neighbour_services.h"

namespace velk {

ProjectState& Project() {
  static ProjectState state;
  return state;
}

}  // namespace velk

#include "app/neighbour_services.h"

namespace velk {

std::vector<FSAircraft>& ShuffleAircraftList() {
  static std::vector<FSAircraft> list;
  return list;
}

}  // namespace velk

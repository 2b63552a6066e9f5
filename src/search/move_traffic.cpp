#include "search/move_traffic.h"

namespace velk {

MoveCount MoveLegs(std::vector<Flight>& flights, const std::vector<std::string>& tags, std::string_view source,
                   std::string_view destination, std::optional<int> percent) {
  MoveCount count;
  std::string framed;
  for (const std::string& tag : tags) {
    // A group node or an aircraft the plan does not use chooses nothing.
    if (tag.empty()) continue;
    for (Flight& flight : flights) {
      framed.assign(",").append(flight.AircraftId).append(",");
      if (tag.find(framed) == std::string::npos) continue;
      for (FlightLeg& leg : flight.Legs) {
        if (leg.DestinationIcao != source) continue;
        ++count.counted;
        // Widened so that a huge count never overflows the product.
        if (percent && static_cast<long long>(count.moved) * 100 / count.counted >= *percent) continue;
        leg.DestinationIcao = destination;
        ++count.moved;
      }
    }
  }
  return count;
}

}  // namespace velk

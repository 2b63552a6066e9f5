#pragma once
// Test-only reader of traffic.bgl that checks the layout invariants of a
// database on its own, without the writer's code.
#include <string>
#include <string_view>
#include <vector>

namespace traffic::test {

// Every broken rule, in words; empty for a sound database.
std::vector<std::string> CheckTrafficDatabase(std::string_view file);

}  // namespace traffic::test

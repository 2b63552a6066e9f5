#pragma once
// Puts the program-wide plan aside for a test's scope: the test starts on an
// empty plan, and the plan before it is back afterwards.
#include <utility>

#include "data/plan_records.h"

namespace velk::test {

class PlanGuard {
 public:
  PlanGuard() : saved_(std::move(Plan())) { Plan() = PlanState(); }
  ~PlanGuard() { Plan() = std::move(saved_); }
  PlanGuard(const PlanGuard&) = delete;
  PlanGuard& operator=(const PlanGuard&) = delete;

 private:
  PlanState saved_;
};

}  // namespace velk::test

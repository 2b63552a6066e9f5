#pragma once
// A scripted random source for a test's scope: NextRandom returns the given
// values in order, and a draw past the end fails the test, so a test checks
// the number of draws as well as their effect.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/random_source.h"

namespace velk::test {

class ScriptedRandom {
 public:
  explicit ScriptedRandom(std::vector<double> draws) : draws_(std::move(draws)) {
    previous_ = SetRandomSource([this] {
      if (next_ >= draws_.size()) {
        ADD_FAILURE() << "random draw " << next_ + 1 << " was not scripted";
        ++next_;
        return 0.0;
      }
      return draws_[next_++];
    });
  }
  ~ScriptedRandom() { SetRandomSource(std::move(previous_)); }
  ScriptedRandom(const ScriptedRandom&) = delete;
  ScriptedRandom& operator=(const ScriptedRandom&) = delete;

  // Draws taken so far.
  size_t Used() const { return next_; }

 private:
  std::vector<double> draws_;
  size_t next_ = 0;
  RandomSource previous_;
};

}  // namespace velk::test

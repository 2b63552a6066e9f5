#include "platform/parallel.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <memory>

namespace velk {
namespace {

// Readying memory for writing never changes what it holds: neither the
// pages written already nor the bytes at the unaligned ends.
TEST(PrefaultForWriting, KeepsTheBytes) {
  constexpr std::size_t kSize = std::size_t{6} << 20;
  const auto buffer = std::make_unique<unsigned char[]>(kSize);
  for (std::size_t i = 0; i < kSize; i += 4096) buffer[i] = static_cast<unsigned char>(i / 4096 * 7 + 1);
  buffer[1] = 0xAB;
  buffer[kSize - 1] = 0xCD;
  PrefaultForWriting(buffer.get() + 1, kSize - 2);
  for (std::size_t i = 0; i < kSize; i += 4096)
    ASSERT_EQ(buffer[i], static_cast<unsigned char>(i / 4096 * 7 + 1)) << i;
  EXPECT_EQ(buffer[1], 0xAB);
  EXPECT_EQ(buffer[kSize - 1], 0xCD);
  EXPECT_EQ(buffer[kSize / 2 + 5], 0);
}

}  // namespace
}  // namespace velk

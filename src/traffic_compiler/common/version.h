#pragma once

namespace traffic {
inline constexpr const char* kToolVersion = "1.0.0";
}

#pragma once
// The orvane program: compile the three traffic text files of the current
// folder into the simulator's traffic.bgl.
namespace traffic {

inline constexpr const char* kCompilerBannerVersion = "1.3.3";

// Runs the whole compile once; returns the process exit code (0 or 1).
int CompilerMain(int argc, const char* const* argv);

}  // namespace traffic

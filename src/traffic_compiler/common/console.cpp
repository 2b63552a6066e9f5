#include "traffic_compiler/common/console.h"

#include <chrono>
#include <cstdio>

namespace traffic {
namespace {
std::string* g_capture = nullptr;
}

void ConsoleWrite(std::string_view text) {
  if (g_capture) {
    g_capture->append(text);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stdout);
}

void ConsoleFlush() {
  if (!g_capture) std::fflush(stdout);
}

void ConsoleWaiting(std::string_view what) {
  ConsoleWrite("Waiting for another " + std::string(what) + " to finish...\n");
  ConsoleFlush();
}

void ConsoleProgress(std::string_view label, long long n) {
  std::string s(label);
  s += ' ';
  s += std::to_string(n);
  s += '\r';
  ConsoleWrite(s);
  // A counter is for the eye: pushed out some 30 times a second it looks
  // the same as after each step, without a system call for each of the
  // thousands of steps of a large plan.
  using Clock = std::chrono::steady_clock;
  static Clock::time_point last_flush;
  const Clock::time_point now = Clock::now();
  if (now - last_flush >= std::chrono::milliseconds(30)) {
    last_flush = now;
    ConsoleFlush();
  }
}

void ConsoleCount(std::string_view label, long long n) {
  std::string s(label);
  s += ' ';
  s += std::to_string(n);
  s += '\n';
  ConsoleWrite(s);
  ConsoleFlush();
}

ScopedConsoleCapture::ScopedConsoleCapture() : previous_(g_capture) { g_capture = &text_; }
ScopedConsoleCapture::~ScopedConsoleCapture() { g_capture = previous_; }

std::string ScopedConsoleCapture::WithoutProgress() const {
  // A progress segment runs from the start of a line (or the end of the last
  // segment) to its "\r".
  std::string out;
  std::string segment;
  for (char c : text_) {
    if (c == '\r') {
      segment.clear();
    } else if (c == '\n') {
      out += segment;
      out += '\n';
      segment.clear();
    } else {
      segment += c;
    }
  }
  out += segment;
  return out;
}

void WaitForEnter() {
  ConsoleWrite("Press ENTER key to finish...");
  ConsoleFlush();
  if (g_capture) return;
  for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar()) {
  }
}

}  // namespace traffic

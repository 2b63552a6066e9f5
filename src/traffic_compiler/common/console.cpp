#include "traffic_compiler/common/console.h"

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

void ConsoleProgress(std::string_view label, long long n) {
  std::string s(label);
  s += ' ';
  s += std::to_string(n);
  s += '\r';
  ConsoleWrite(s);
  ConsoleFlush();
}

void ConsoleCount(std::string_view label, long long n) {
  std::string s(label);
  s += ' ';
  s += std::to_string(n);
  s += '\n';
  ConsoleWrite(s);
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

#pragma once
// Console output of the two traffic tools. Everything they print goes through
// here so that tests can capture the exact bytes, progress counters included.
#include <functional>
#include <string>
#include <string_view>

namespace traffic {

// Writes bytes to standard output (or to the installed capture).
void ConsoleWrite(std::string_view text);
// Pushes buffered output out; used after counters and before waiting for
// input, so that a pipe reader sees them at once.
void ConsoleFlush();

// "Waiting for another <what> to finish...", pushed out at once, before a
// run waits for a lock that another run holds.
void ConsoleWaiting(std::string_view what);

// Progress counter rewritten in place: "<label> <n>\r", pushed out to a
// reader at most every 30 ms.
void ConsoleProgress(std::string_view label, long long n);
// Final counter line: "<label> <n>\n", pushed out at once.
void ConsoleCount(std::string_view label, long long n);

// Redirects console output into a string for the lifetime of the object.
class ScopedConsoleCapture {
 public:
  ScopedConsoleCapture();
  ~ScopedConsoleCapture();
  ScopedConsoleCapture(const ScopedConsoleCapture&) = delete;
  ScopedConsoleCapture& operator=(const ScopedConsoleCapture&) = delete;
  const std::string& text() const { return text_; }
  // The captured text with every "\r"-terminated progress segment removed.
  std::string WithoutProgress() const;

 private:
  std::string text_;
  std::string* previous_;
};

// Prints "Press ENTER key to finish..." and reads one line from standard
// input; end of input counts as Enter.
void WaitForEnter();

}  // namespace traffic

#include "platform/text_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <system_error>

namespace velk {

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path, std::string* error) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    if (error) *error = std::strerror(errno);
    return std::nullopt;
  }
  std::string data;
  // A regular file is read straight into one buffer of its size; the loop
  // after it copes with files that grow or report no size (pipes, /proc).
  struct stat st {};
  if (::fstat(::fileno(f), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
    data.resize(static_cast<size_t>(st.st_size));
    data.resize(std::fread(data.data(), 1, data.size(), f));
  }
  if (!std::ferror(f)) {
    char buf[1 << 16];
    for (;;) {
      size_t n = std::fread(buf, 1, sizeof buf, f);
      data.append(buf, n);
      if (n < sizeof buf) break;
    }
  }
  bool bad = std::ferror(f) != 0;
  int err = errno;
  std::fclose(f);
  if (bad) {
    if (error) *error = std::strerror(err);
    return std::nullopt;
  }
  return data;
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t nl = text.find('\n', start);
    size_t end = nl == std::string_view::npos ? text.size() : nl;
    size_t len = end - start;
    if (nl != std::string_view::npos && len > 0 && text[end - 1] == '\r') --len;
    lines.push_back(text.substr(start, len));
    if (nl == std::string_view::npos) break;
    start = nl + 1;
  }
  return lines;
}

std::vector<std::string_view> SplitLinesAtCrOrLf(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
    if (text[end] == '\r' && start < text.size() && text[start] == '\n') ++start;
  }
  return lines;
}

bool WriteFileAtomic(const std::filesystem::path& path, std::string_view bytes) {
  std::filesystem::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  std::string tmpl = (dir / ("." + path.filename().string() + ".XXXXXX")).string();
  int fd = ::mkstemp(tmpl.data());
  if (fd < 0) return false;
  bool ok = true;
  const char* p = bytes.data();
  size_t left = bytes.size();
  while (ok && left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
    } else {
      p += n;
      left -= static_cast<size_t>(n);
    }
  }
  // Keep the permissions of the file we replace; a new file gets the usual
  // rw for the user and read for others.
  std::error_code ec;
  auto st = std::filesystem::status(path, ec);
  if (!ec && std::filesystem::exists(st)) {
    ::fchmod(fd, static_cast<mode_t>(st.permissions()) & 07777);
  } else {
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && std::rename(tmpl.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(tmpl.c_str());
  return ok;
}

std::string JoinCrLf(const std::vector<std::string>& lines) {
  size_t total = 0;
  for (const auto& l : lines) total += l.size() + 2;
  std::string out;
  out.reserve(total);
  for (const auto& l : lines) {
    out += l;
    out += "\r\n";
  }
  return out;
}

bool CopyFileOnce(const std::filesystem::path& from, const std::filesystem::path& to) {
  std::error_code ec;
  if (std::filesystem::exists(to, ec)) return true;
  auto bytes = ReadFileBytes(from);
  if (!bytes) return false;
  return WriteFileAtomic(to, *bytes);
}

}  // namespace velk

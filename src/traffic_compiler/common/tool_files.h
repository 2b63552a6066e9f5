#pragma once
// File helpers of the traffic tools: whole-file reads, checked writes,
// atomic replacement, exclusive copies, the simulator folder and the
// little-endian byte order of traffic.bgl.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "platform/text_lines.h"

namespace traffic {

namespace fs = std::filesystem;

// The whole file, or nothing when it cannot be opened or read.
std::optional<std::string> ReadWholeFile(const fs::path& path);

// Lines are cut as by every reader of the programs (platform/text_lines.h):
// at CR LF, LF or a lone CR, each line handed out with its end.
using velk::LineReader;
using velk::TextLine;

enum class WriteResult { kOk, kOpenFailed, kWriteFailed };

// Creates (or truncates) `path` and writes `bytes`, checking every write,
// the flush to disk and the close. A failed write leaves a partial file that
// the caller removes.
WriteResult WriteFileChecked(const fs::path& path, std::string_view bytes);

// A file created (or truncated) now and written later in one go; the write
// is checked through the flush to disk and the close.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;
  bool Create(const fs::path& path);
  bool WriteAndClose(std::string_view bytes);

 private:
  int fd_ = -1;
};

// Renames `from` over `to` in one step; true on success.
bool ReplaceFile(const fs::path& from, const fs::path& to);

enum class CopyResult { kCopied, kTargetExists, kFailed };

// Creates `path` only when it does not exist yet (never overwriting, even in
// a race) and writes `bytes` with the checks of WriteFileChecked; a failed
// write removes the file again.
CopyResult CreateFileExclusive(const fs::path& path, std::string_view bytes);

// Copies `from` to `to` only when `to` does not exist yet, creating it
// exclusively so that an existing file is never overwritten, even by a race.
// A failed copy removes what it created.
CopyResult CopyFileExclusive(const fs::path& from, const fs::path& to);

// `name` in `folder`: the exact name when it exists, else an entry whose name
// matches without regard to case, else the exact name.
fs::path FindFileNoCase(const fs::path& folder, const std::string& name);

// The simulator folder for the tools, or empty when none is found: the
// configured folder (trailing blanks and separators removed) when it exists,
// else the parent of the current folder when that holds "SCENEDB".
fs::path LocateFlightSim();

// The folder of traffic.bgl below the simulator folder.
fs::path TrafficSceneryFolder(const fs::path& sim_folder);

// Little-endian serialisation.
inline void PutU8(std::string& out, std::uint8_t v) { out.push_back(static_cast<char>(v)); }
inline void PutU16(std::string& out, std::uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}
inline void PutU32(std::string& out, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}
inline void PutI32(std::string& out, std::int32_t v) { PutU32(out, static_cast<std::uint32_t>(v)); }
inline void SetU32(std::string& out, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
inline std::uint16_t GetU16(std::string_view in, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(in[at]) |
                                    (static_cast<unsigned char>(in[at + 1]) << 8));
}
inline std::uint32_t GetU32(std::string_view in, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(in[at + i]);
  return v;
}
inline std::int32_t GetI32(std::string_view in, std::size_t at) {
  return static_cast<std::int32_t>(GetU32(in, at));
}

}  // namespace traffic

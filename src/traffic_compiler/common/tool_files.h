#pragma once
// File helpers of the traffic tools: whole-file reads of regular files,
// the files a write may land in, checked writes, replacement in one step,
// copies that never overwrite, the simulator folder and the little-endian
// byte order of traffic.bgl.
#include <sys/stat.h>
#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/file_ops.h"
#include "platform/text_file.h"
#include "platform/text_lines.h"

namespace traffic {

namespace fs = std::filesystem;

// The test seam of every writer's file steps (platform/file_ops.h).
using velk::FileStepHook;
using velk::SetFileStepHook;

// Whole files are read with velk::ReadRegularFileBytes (platform/text_file.h):
// only regular files, never waiting on a FIFO or reading a device.

// Lines are cut as by every reader of the programs (platform/text_lines.h):
// at CR LF, LF or a lone CR, each line handed out with its end.
using velk::LineReader;
using velk::TextLine;

// A fingerprint of a text's bytes (platform/text_file.h).
using velk::TextFingerprint;

// A file the tools are about to write (velk::WriteTarget, platform/text_file.h).
using velk::WriteTarget;

// A new file, written in pieces and checked through the flush to disk and
// the close. Unless kept, it is removed again when the object goes.
class OutputFile {
 public:
  OutputFile() = default;
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Creates `path`, which must not exist; a symbolic link in its place is
  // not followed and counts as existing, nor is a link of another user's
  // on the way to its folder (`why` says so).
  bool CreateExclusive(const fs::path& path, std::string* why = nullptr);
  // The same for the name of `place`, in its open folder.
  bool CreateExclusive(const WriteTarget& place);
  // Creates a file of a fresh name beside `target`, in its open folder (so
  // that it can be renamed over it), to get `mode`.
  bool CreateBeside(const WriteTarget& target, mode_t mode);
  // The same for the file a write to `target` lands in (WriteTarget::Open),
  // with the permissions of `permissions_of` (by default `target`) when
  // that exists, else the usual ones for a new file.
  bool CreateBeside(const fs::path& target, const fs::path& permissions_of = {});

  // Both writes start sending what they wrote to the disk at once, so that
  // Finish has little left to wait for.
  bool Write(std::string_view bytes);
  // Writes `bytes` at `offset`; safe from several threads at once for
  // pieces that do not overlap. A failure here is the caller's to report.
  bool WriteAt(std::uint64_t offset, std::string_view bytes) const;
  // The permissions Finish gives the file (by default those of a new file,
  // or of the file it is made beside).
  void SetMode(mode_t mode) { mode_ = mode; }
  // Flushes to disk and closes; true when every write so far succeeded.
  bool Finish();
  // Write and Finish in one.
  bool WriteAndClose(std::string_view bytes) { return Write(bytes) && Finish(); }
  // The file stays after the object goes (it has been renamed or is meant
  // to be left for a look).
  void Keep() { keep_ = true; }

  const fs::path& path() const { return path_; }
  // The open folder the file lies in, and its name there.
  int folder() const { return folder_; }
  const std::string& name() const { return name_; }

 private:
  void CloseQuietly();
  // Forgets the file before another is made.
  void Reset();
  bool Begin(int fd, int folder, std::string name, fs::path shown, mode_t mode);

  int fd_ = -1;
  int folder_ = -1;  // a descriptor of its own
  std::string name_;
  std::uint64_t end_ = 0;  // where Write goes on
  mode_t mode_ = 0;        // given by Finish
  bool ok_ = true;
  bool keep_ = false;
  fs::path path_;
};

// Renames the finished `from` over the file of `to` in one step, from folder
// to open folder, and makes the rename durable; true on success, and the
// caller then keeps `from`. When `to` lies on another file system, a copy
// of `from` made whole beside `to` is renamed over it instead, and `from`
// is removed.
bool ReplaceFile(const OutputFile& from, const WriteTarget& to);
// The same by path: `from` by its name, `to` as WriteTarget::Open finds it.
bool ReplaceFile(const fs::path& from, const fs::path& to);

// Keeps a file that is about to be replaced open. Freeing the blocks of a
// large file takes a while, and the system does it when the last name and
// the last open descriptor are gone: with the file held, the rename that
// replaces it returns at once, and Release lets go of it on a thread of its
// own while the program goes on. The object waits for that thread when it
// goes.
class HeldFile {
 public:
  HeldFile() = default;
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  // Holds the file of `target` when it is a regular file; anything else
  // (a link there too) is not held.
  void Hold(const WriteTarget& target);
  void Release();

 private:
  int fd_ = -1;
  std::thread closer_;
};

enum class CopyResult { kCopied, kTargetExists, kFailed };

// Copies the regular file of `from` to `to` only when nothing has the name
// of `to` yet, each through its open folder. The copy is made under a fresh
// name beside `to`, flushed to disk and only then given its name, so that
// `to` never exists half written; a failed copy leaves nothing behind. The
// copy gets the permissions of a new file (velk::CopyMode). kFailed also
// when `from` is not a regular file.
CopyResult CopyFileExclusive(const WriteTarget& from, const WriteTarget& to);
// The same by path (WriteTarget::Open), kFailed when either is refused.
CopyResult CopyFileExclusive(const fs::path& from, const fs::path& to);

// True when the regular file of `target`, whose status is `st`, was marked
// read-only by its owner (no write permission at all) or may not be
// written by this process: such a file is never replaced, although a
// rename could.
inline bool IsWriteProtected(const WriteTarget& target, const struct stat& st) {
  return velk::ReplaceRefusal(target.folder(), target.name(), st) != 0;
}

// Removes `path` when it is a file or a symbolic link (never what a link
// points to). True when nothing of that name is left.
using velk::RemoveFileEntry;

// Removes what runs of this program that died left beside a target
// (velk::RemoveLeftoverTemporaries).
using velk::RemoveLeftoverTemporaries;

// `name` in `folder`: the exact name when it exists, else an entry whose name
// matches without regard to case, else the exact name. Empty when `folder`
// had to be listed and could not be; `unlisted` then names it.
fs::path FindFileNoCase(const fs::path& folder, const std::string& name, fs::path* unlisted = nullptr);

// The simulator folder for the tools, or empty when none is found: the
// configured folder (trailing blanks and separators removed) when it exists,
// else the parent of the current folder when that holds "SCENEDB". A folder
// that could not be listed on the way is named in `unlisted`.
fs::path LocateFlightSim(fs::path* unlisted = nullptr);

// The folder of traffic.bgl below the simulator folder; empty as for
// FindFileNoCase.
fs::path TrafficSceneryFolder(const fs::path& sim_folder, fs::path* unlisted = nullptr);

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
// The same into a buffer being filled.
inline void PutU16At(char* p, std::uint16_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>(v >> 8);
}
inline void PutU32At(char* p, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
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

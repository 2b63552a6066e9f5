#include "project/project_file.h"

#include <limits>

#include "platform/text_file.h"

namespace velk {
namespace {

// A cursor over the file's bytes that refuses to read past the end.
class ByteReader {
 public:
  explicit ByteReader(std::string_view bytes) : bytes_(bytes) {}

  bool AtEnd() const { return pos_ == bytes_.size(); }

  bool U16(uint16_t& value) {
    if (bytes_.size() - pos_ < 2) return false;
    value = static_cast<uint16_t>(Byte(0) | (Byte(1) << 8));
    pos_ += 2;
    return true;
  }

  bool I32(int32_t& value) {
    if (bytes_.size() - pos_ < 4) return false;
    uint32_t u = Byte(0) | (Byte(1) << 8) | (Byte(2) << 16) | (static_cast<uint32_t>(Byte(3)) << 24);
    value = static_cast<int32_t>(u);
    pos_ += 4;
    return true;
  }

  bool Text(std::string& value) {
    uint16_t length;
    if (!U16(length) || bytes_.size() - pos_ < length) return false;
    value.assign(bytes_.substr(pos_, length));
    pos_ += length;
    return true;
  }

  // Bytes not read yet.
  size_t Left() const { return bytes_.size() - pos_; }

 private:
  uint32_t Byte(size_t k) const { return static_cast<unsigned char>(bytes_[pos_ + k]); }

  std::string_view bytes_;
  size_t pos_ = 0;
};

void PutU16(std::string& out, uint16_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>(v >> 8);
}

void PutI32(std::string& out, int32_t v) {
  auto u = static_cast<uint32_t>(v);
  for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((u >> shift) & 0xFF);
}

bool PutText(std::string& out, const std::string& text) {
  if (text.size() > std::numeric_limits<uint16_t>::max()) return false;
  PutU16(out, static_cast<uint16_t>(text.size()));
  out += text;
  return true;
}

}  // namespace

std::optional<ProjectFile> ParseProjectFile(std::string_view bytes) {
  ByteReader in(bytes);
  ProjectFile project;
  int32_t count;
  if (!in.Text(project.Version) || !in.I32(count) || count < 0) return std::nullopt;
  const bool old = project.Version == kProjectVersion10;
  // Every entry takes at least its empty fields: a count beyond what the
  // bytes can hold is damage, found before any memory is taken for it.
  const size_t smallest = old ? 6 : 8;
  if (static_cast<size_t>(count) > in.Left() / smallest) return std::nullopt;
  project.Entries.resize(static_cast<size_t>(count));
  for (ProjectEntry& e : project.Entries) {
    uint16_t flag;
    if (!in.Text(e.PlanFile)) return std::nullopt;
    if (!old && !in.Text(e.AircraftFile)) return std::nullopt;
    if (!in.Text(e.Description) || !in.U16(flag)) return std::nullopt;
    e.Flag = static_cast<int16_t>(flag);
    // Every system call would cut a path at a zero byte and so reach another
    // file than the one named.
    if (e.PlanFile.find('\0') != std::string::npos || e.AircraftFile.find('\0') != std::string::npos)
      return std::nullopt;
  }
  if (!in.AtEnd()) return std::nullopt;
  // The next save writes the 1.1 layout, which a 1.0 version text would
  // misname.
  if (old) project.Version = kProjectVersion;
  return project;
}

std::optional<std::string> ProjectFileBytes(const ProjectFile& project) {
  if (project.Entries.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return std::nullopt;
  std::string out;
  if (!PutText(out, project.Version)) return std::nullopt;
  PutI32(out, static_cast<int32_t>(project.Entries.size()));
  for (const ProjectEntry& e : project.Entries) {
    if (!PutText(out, e.PlanFile) || !PutText(out, e.AircraftFile) || !PutText(out, e.Description))
      return std::nullopt;
    PutU16(out, static_cast<uint16_t>(e.Flag));
  }
  return out;
}

std::optional<ProjectFile> ReadProjectFile(const std::filesystem::path& path) {
  std::optional<std::string> bytes = ReadFileBytes(path);
  if (!bytes) return std::nullopt;
  return ParseProjectFile(*bytes);
}

bool WriteProjectFile(const std::filesystem::path& path, const ProjectFile& project) {
  std::optional<std::string> bytes = ProjectFileBytes(project);
  return bytes && WriteFileAtomic(path, *bytes);
}

}  // namespace velk

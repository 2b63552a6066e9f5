#include "aircraft_editors/aircraft_fields.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <set>
#include <system_error>

#include "data/class_config.h"
#include "data/text_number.h"
#include "platform/ascii_text.h"
#include "platform/file_ops.h"
#include "platform/sim_location.h"
#include "platform/text_file.h"

namespace velk {
namespace {

namespace fs = std::filesystem;

bool IsFolder(const fs::path& p) {
  std::error_code ec;
  return !p.empty() && fs::is_directory(p, ec);
}

bool IsFile(const fs::path& p) {
  std::error_code ec;
  return !p.empty() && fs::is_regular_file(p, ec);
}

fs::path AircraftFolder(const FSAircraft& aircraft) { return fs::path(aircraft.CfgFile).parent_path(); }

RenameOnDisk FolderRename(fs::path from, fs::path to) {
  RenameOnDisk r;
  if (IsFolder(from)) r.from = std::move(from);
  r.offerCopy = !IsFolder(to) && !r.from.empty();
  r.to = std::move(to);
  return r;
}

// <base>/<stem> or <base>/<stem>.<suffix>, an existing folder found in any
// case of its name.
fs::path SuffixedFolder(const fs::path& base, const std::string& stem, const std::string& suffix) {
  return ResolvePathNoCase(base, suffix.empty() ? stem : stem + "." + suffix);
}

std::string WithAirExtension(const std::string& name) {
  if (name.size() >= 4 && EqualsNoCase(std::string_view(name).substr(name.size() - 4), ".air")) return name;
  return name + ".air";
}

}  // namespace

std::string ClassDisplayName(int aircraftClass) {
  std::string_view name = AircraftClassName(aircraftClass);
  return name.empty() ? "Unknown" : std::string(name);
}

WholeNumberText CheckPositiveWholeNumber(std::string_view text, int maximum) {
  WholeNumberText r;
  std::optional<double> value = text_number::ParseDecimal(text);
  if (!value) return r;
  std::int64_t whole = text_number::RoundHalfEven(*value);
  if (whole < 1) {
    r.check = WholeNumberCheck::NotPositive;
  } else if (whole > maximum) {
    r.check = WholeNumberCheck::TooLarge;
  } else {
    r.check = WholeNumberCheck::Ok;
    r.value = static_cast<int>(whole);
  }
  return r;
}

std::string FeetText(int metres) {
  return std::to_string(text_number::RoundHalfEven(metres * 3.281)) + "ft";
}

bool IsPlainFileName(std::string_view text) {
  for (char c : text) {
    auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return false;
    if (std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos) return false;
  }
  return text != "." && text != "..";
}

RenameOnDisk ModelFolderRename(const FSAircraft& aircraft, const std::string& text) {
  fs::path old;
  if (IsFile(aircraft.ModelFile)) old = fs::path(aircraft.ModelFile).parent_path();
  return FolderRename(old, SuffixedFolder(AircraftFolder(aircraft), "model", text));
}

RenameOnDisk TextureFolderRename(const FSAircraft& aircraft, const std::string& text) {
  fs::path folder = AircraftFolder(aircraft);
  return FolderRename(SuffixedFolder(folder, "texture", aircraft.Texture), SuffixedFolder(folder, "texture", text));
}

RenameOnDisk AirFileRename(const FSAircraft& aircraft, const std::string& text) {
  fs::path folder = AircraftFolder(aircraft);
  RenameOnDisk r;
  fs::path from = ResolvePathNoCase(folder, WithAirExtension(aircraft.Sim));
  if (IsFile(from)) r.from = std::move(from);
  r.to = ResolvePathNoCase(folder, WithAirExtension(text));
  r.offerCopy = !IsFile(r.to) && !r.from.empty();
  return r;
}

bool CopyFolderWhole(const fs::path& from, const fs::path& to, FolderCopy* report) {
  FolderCopy own;
  FolderCopy& copy = report ? *report : own;
  copy = FolderCopy{from, to, {}, {}, {}};
  // What stops the copy before its first entry concerns `to` as a whole.
  auto refuse = [&](const std::string& why) {
    copy.file = to;
    copy.reason = why.empty() ? std::strerror(errno) : why;
    return false;
  };
  auto unreadable = [&] { return refuse("'" + from.string() + "' could not be read: " + std::strerror(errno)); };
  // Both folders are reached through links of the user's own only: another
  // user's could lead the copy out of any folder of the user's, or into one.
  WriteTarget source;
  WriteTarget place;
  std::string why;
  if (to.empty()) {
    errno = EINVAL;
    return refuse({});
  }
  if (!source.Open(from, &why)) return why.empty() ? unreadable() : refuse(why);
  if (!place.OpenName(to, &why)) return refuse(why);
  struct stat st {};
  if (place.Look(st)) errno = EEXIST;
  if (errno != ENOENT) return refuse({});
  const int in = ::openat(source.folder(), source.name().c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (in < 0) return unreadable();
  const fs::path dir = place.file().parent_path();
  // What copies killed here before left goes first; the folder of this
  // one is held until it has its name or is gone.
  RemoveLeftoverCopies(place.folder(), dir);
  std::string temporary;
  FolderLock held;
  const int out = MakeCopyFolderIn(place.folder(), place.name(), temporary, held, dir);
  if (out < 0) {
    refuse({});
    ::close(in);
    return false;
  }
  bool ok = CopyFolderContents(in, out, dir / temporary, copy) &&
            ((::fstat(in, &st) == 0 && ::fchmod(out, CopyMode(st.st_mode)) == 0) || refuse({}));
  ::close(in);
  ::close(out);
  // Never over a folder that appeared meanwhile: the user's, or another run's.
  if (ok) {
    const RenameResult given = RenameNoReplace(temporary, place.name(), place.folder());
    if (given == RenameResult::kExists) errno = EEXIST;
    ok = given == RenameResult::kRenamed || refuse({});
  }
  if (!ok) RemoveTreeAt(place.folder(), temporary, dir / temporary);
  return ok;
}

void RemoveLeftoverFolderCopies(const std::vector<FSAircraft>& list) {
  std::set<fs::path> folders;
  for (const FSAircraft& aircraft : list)
    if (!aircraft.CfgFile.empty()) folders.insert(AircraftFolder(aircraft));
  for (const fs::path& folder : folders) RemoveLeftoverCopies(folder);
}

}  // namespace velk

#include "aircraft_editors/aircraft_fields.h"

#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>

#include <system_error>

#include "data/class_config.h"
#include "data/text_number.h"
#include "platform/ascii_text.h"
#include "platform/sim_location.h"

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

bool CopyFolderWhole(const fs::path& from, const fs::path& to) {
  std::error_code ec;
  if (to.empty() || !fs::is_directory(from, ec) || fs::exists(fs::symlink_status(to, ec))) return false;
  fs::path parent = to.parent_path();
  if (parent.empty()) parent = ".";
  std::string tmpl = (parent / ("." + to.filename().string() + ".XXXXXX")).string();
  if (!::mkdtemp(tmpl.data())) return false;
  fs::path tmp = tmpl;
  fs::copy(from, tmp, fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
  if (!ec) {
    fs::perms mode = fs::status(from, ec).permissions();
    if (!ec) fs::permissions(tmp, mode, ec);
  }
  // Never over a folder that appeared meanwhile: the user's, or another run's.
  if (!ec && ::renameat2(AT_FDCWD, tmp.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  fs::remove_all(tmp, ec);
  return false;
}

}  // namespace velk

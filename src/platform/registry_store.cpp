#include "platform/registry_store.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "platform/registry_file.h"
#include "platform/text_file.h"

namespace velk {
namespace {

std::string EnvValue(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

std::filesystem::path HomeFolder() {
  std::string home = EnvValue("HOME");
  if (!home.empty()) return home;
  if (const passwd* pw = ::getpwuid(::getuid())) {
    if (pw->pw_dir) return pw->pw_dir;
  }
  return std::filesystem::current_path();
}

// What tells us that a file on disk is no longer the one we read.
struct FileStamp {
  bool exists = false;
  dev_t dev = 0;
  ino_t ino = 0;
  off_t size = 0;
  timespec mtime{};

  bool operator==(const FileStamp& o) const {
    return exists == o.exists && dev == o.dev && ino == o.ino && size == o.size &&
           mtime.tv_sec == o.mtime.tv_sec && mtime.tv_nsec == o.mtime.tv_nsec;
  }
};

FileStamp StampOf(const std::filesystem::path& path) {
  FileStamp s;
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) {
    s.exists = true;
    s.dev = st.st_dev;
    s.ino = st.st_ino;
    s.size = st.st_size;
    s.mtime = st.st_mtim;
  }
  return s;
}

struct CachedStore {
  bool loaded = false;
  std::filesystem::path path;
  FileStamp stamp;
  RegistryFile file;
  // False when a file exists that we could not read or set aside: writing
  // would then destroy it, so writes are refused.
  bool writable = true;
  bool readFailed = false;  // tried again on the next use
};

std::mutex& StoreMutex() {
  static std::mutex m;
  return m;
}

// Moves an unreadable store out of the way under a name not taken yet, so
// that neither it nor an earlier broken store is lost. The store is set
// aside where a write to it lands, beside it in its folder: a store kept
// elsewhere through a link of the user's own is set aside there, and the
// link stays for the store written next.
bool SetAside(const std::filesystem::path& path) {
  WriteTarget store;
  if (!store.Open(path)) return false;
  const std::string base = store.name() + ".broken";
  std::string name = base;
  for (int n = 2;; ++n) {
    const RenameResult moved = RenameNoReplace(store.name(), name, store.folder());
    if (moved == RenameResult::kFailed) return false;
    if (moved == RenameResult::kRenamed) break;
    name = base + "." + std::to_string(n);
  }
  std::fprintf(stderr, "velk: the settings file %s could not be read; it was kept as %s\n", path.c_str(),
               (store.file().parent_path() / name).c_str());
  return true;
}

void Load(CachedStore& store, const std::filesystem::path& path, bool userStore) {
  FileStamp stamp = StampOf(path);
  if (store.loaded && !store.readFailed && store.path == path && store.stamp == stamp) return;
  store.loaded = true;
  store.path = path;
  store.file = RegistryFile();
  store.writable = true;
  store.readFailed = false;
  if (!stamp.exists) {
    store.stamp = stamp;
    return;
  }
  auto bytes = ReadFileBytes(path);
  if (!bytes) {
    store.stamp = stamp;
    store.writable = false;
    store.readFailed = true;
    return;
  }
  auto parsed = RegistryFile::Parse(*bytes, /*strict=*/userStore);
  if (parsed) {
    store.file = std::move(*parsed);
  } else if (userStore) {
    store.writable = SetAside(path);
  }
  store.stamp = StampOf(path);
}

CachedStore& UserStore() {
  static CachedStore store;
  Load(store, UserStorePath(), true);
  return store;
}

CachedStore& MachineStore() {
  static CachedStore store;
  Load(store, MachineStorePath(), false);
  return store;
}

std::string TrimKeyPath(std::string_view keyPath) {
  while (!keyPath.empty() && keyPath.back() == '\\') keyPath.remove_suffix(1);
  return std::string(keyPath);
}

// New top keys take the spelling a Wine prefix uses for them, so that our
// file reads like the prefix's own.
std::string SpellRoot(std::string path) {
  constexpr std::string_view kSoftware = "Software";
  if (path.size() >= kSoftware.size() &&
      RegistryNamesEqual(std::string_view(path).substr(0, kSoftware.size()), kSoftware) &&
      (path.size() == kSoftware.size() || path[kSoftware.size()] == '\\'))
    path.replace(0, kSoftware.size(), kSoftware);
  return path;
}

bool Save(CachedStore& store) {
  std::error_code ec;
  std::filesystem::create_directories(store.path.parent_path(), ec);
  // A store kept elsewhere through a link is rewritten where it lies; the
  // link stays (the atomic writer follows links).
  if (!WriteFileAtomic(store.path, store.file.Serialize())) return false;
  store.stamp = StampOf(store.path);
  return true;
}

const RegistryValue* FindValue(const RegistryFile& file, std::string_view keyPath, std::string_view name) {
  const RegistryKey* key = file.FindKey(TrimKeyPath(keyPath));
  return key ? key->FindValue(name) : nullptr;
}

std::optional<std::string> ValueOf(const RegistryFile& file, std::string_view keyPath,
                                   std::string_view name) {
  const RegistryValue* v = FindValue(file, keyPath, name);
  if (!v) return std::nullopt;
  return v->data;
}

// A machine value: below "Software\Wow6432Node\" first, then as named.
const RegistryValue* FindMachineValue(const RegistryFile& file, std::string_view keyPath,
                                      std::string_view name) {
  std::string path = TrimKeyPath(keyPath);
  constexpr std::string_view kSoftware = "Software\\";
  constexpr std::string_view kWow = "Wow6432Node\\";
  if (path.size() > kSoftware.size() &&
      RegistryNamesEqual(std::string_view(path).substr(0, kSoftware.size()), kSoftware)) {
    std::string_view rest = std::string_view(path).substr(kSoftware.size());
    bool alreadyWow = rest.size() >= kWow.size() && RegistryNamesEqual(rest.substr(0, kWow.size()), kWow);
    if (!alreadyWow) {
      std::string wow = std::string(kSoftware) + std::string(kWow) + std::string(rest);
      if (const RegistryValue* v = FindValue(file, wow, name)) return v;
    }
  }
  return FindValue(file, path, name);
}

}  // namespace

std::filesystem::path UserStorePath() {
  std::string own = EnvValue("VELK_CONFIG_HOME");
  if (!own.empty()) return std::filesystem::path(own) / "user.reg";
  std::string xdg = EnvValue("XDG_CONFIG_HOME");
  // Relative values are invalid for this variable and are ignored.
  if (!xdg.empty() && xdg[0] == '/') return std::filesystem::path(xdg) / "velk" / "user.reg";
  return HomeFolder() / ".config" / "velk" / "user.reg";
}

std::filesystem::path WinePrefixFolder() {
  std::string prefix = EnvValue("WINEPREFIX");
  if (!prefix.empty()) return prefix;
  return HomeFolder() / ".wine";
}

std::filesystem::path MachineStorePath() { return WinePrefixFolder() / "system.reg"; }

bool IsValidKeyPath(std::string_view keyPath) {
  std::string path = TrimKeyPath(keyPath);
  if (path.empty()) return false;
  size_t start = 0;
  while (true) {
    size_t end = path.find('\\', start);
    if (end == start || (end == std::string::npos && start >= path.size())) return false;
    if (end == std::string::npos) return true;
    start = end + 1;
  }
}

std::optional<std::string> ReadUserValue(std::string_view keyPath, std::string_view name) {
  if (!IsValidKeyPath(keyPath)) return std::nullopt;
  std::lock_guard lock(StoreMutex());
  return ValueOf(UserStore().file, keyPath, name);
}

bool EnsureUserKey(std::string_view keyPath) {
  if (!IsValidKeyPath(keyPath)) return false;
  std::lock_guard lock(StoreMutex());
  CachedStore& store = UserStore();
  std::string path = TrimKeyPath(keyPath);
  if (store.file.FindKey(path)) return true;
  if (!store.writable) return false;
  RegistryFile before = store.file;
  store.file.CreateKey(SpellRoot(path));
  if (Save(store)) return true;
  store.file = std::move(before);
  return false;
}

bool WriteUserString(std::string_view keyPath, std::string_view name, std::string_view text) {
  if (!IsValidKeyPath(keyPath)) return false;
  std::lock_guard lock(StoreMutex());
  CachedStore& store = UserStore();
  if (!store.writable) return false;
  RegistryFile before = store.file;
  store.file.SetString(SpellRoot(TrimKeyPath(keyPath)), name, kRegExpandSz, text);
  if (Save(store)) return true;
  // Memory keeps what the file holds, so a failed write is not reported
  // back later as a stored value.
  store.file = std::move(before);
  return false;
}

std::optional<std::string> ReadMachineValue(std::string_view keyPath, std::string_view name) {
  if (!IsValidKeyPath(keyPath)) return std::nullopt;
  std::lock_guard lock(StoreMutex());
  const RegistryValue* v = FindMachineValue(MachineStore().file, keyPath, name);
  if (!v) return std::nullopt;
  return v->data;
}

std::optional<std::string> ReadMachineText(std::string_view keyPath, std::string_view name) {
  if (!IsValidKeyPath(keyPath)) return std::nullopt;
  std::lock_guard lock(StoreMutex());
  const RegistryValue* v = FindMachineValue(MachineStore().file, keyPath, name);
  if (!v || (v->type != kRegSz && v->type != kRegExpandSz && v->type != kRegMultiSz)) return std::nullopt;
  return v->text.substr(0, v->text.find('\0'));
}

}  // namespace velk

#pragma once
// Where a write lands. A path is walked one part at a time through open
// folders, as the system would walk it, and each symbolic link met is
// judged and followed in one look: it is opened without being followed,
// its owner is taken from that very entry and its text read from it, so
// that nobody can put another link in its place between the two. Only
// links of the user's own or of root's are followed: another user could
// point a link at any file of the user's. Whatever is then written goes
// through the folder the walk ended in, never through the path again.
// Standard library and POSIX only.
#include <sys/stat.h>

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace velk {

class WriteTarget {
 public:
  WriteTarget() = default;
  ~WriteTarget();
  WriteTarget(WriteTarget&& other) noexcept;
  WriteTarget& operator=(WriteTarget&& other) noexcept;
  WriteTarget(const WriteTarget&) = delete;
  WriteTarget& operator=(const WriteTarget&) = delete;

  // Where a write to `path` lands: a link of the user's own at its name is
  // followed too, so that the link stays and the file it names is
  // rewritten. False when a link on the way may not be followed or loops
  // (refused(); `why` says why, naming a link of another user's and its
  // owner), and when a folder on the way cannot be opened or looked at
  // (error() and errno tell why; file() then names the file when known).
  bool Open(const std::filesystem::path& path, std::string* why = nullptr);
  // The same for the name itself: the links on the way to its folder are
  // followed, one at the name never (a leftover there is removed, and a new
  // file made in its place).
  bool OpenName(const std::filesystem::path& path, std::string* why = nullptr);
  // `name` in the open `folder`, whose path without links is `shown`: its
  // link followed as Open does when `follow`.
  bool OpenIn(int folder, const std::filesystem::path& shown, const std::string& name, bool follow,
              std::string* why = nullptr);
  // The name `name` in the folder of `other`.
  bool OpenBeside(const WriteTarget& other, const std::string& name);
  // Open as a reader walks the path, who may follow any link: a link of
  // another user's on the way is followed too, and `crossed` receives what
  // Open would refuse the first such link with (empty when there is none,
  // and a write may go there).
  bool OpenToRead(const std::filesystem::path& path, std::string& crossed);

  int folder() const { return folder_; }
  const std::string& name() const { return name_; }
  // The file, as an absolute path without any link.
  const std::filesystem::path& file() const { return file_; }
  // A link was followed on the way from the folder the walk began in.
  bool followed() const { return followed_; }
  // The last Open failed on a link that may not be followed, or a loop.
  bool refused() const { return refused_; }
  // The system's reason when the last Open failed otherwise (ENOENT, ENOTDIR,
  // EACCES, EIO, ...); 0 after a refusal or success.
  int error() const { return error_; }
  // The status of what has the name now, not followed: false (errno set)
  // when nothing has it or it cannot be looked at.
  bool Look(struct stat& st) const;
  // Removes a regular file or a link of the name (never what a link leads
  // to, never a folder); true when nothing of the name is left.
  bool RemoveLeftover() const;

 private:
  // `crossed` (when given) lets links of other users' be followed.
  bool Walk(int start, std::filesystem::path reached, const std::filesystem::path& rest, bool follow,
            std::string* why, std::string* crossed = nullptr);
  void Close();

  int folder_ = -1;
  std::string name_;
  std::filesystem::path file_;
  bool followed_ = false;
  bool refused_ = false;
  int error_ = 0;
};

// The folder `dir`, reached as WriteTarget reaches a file's folder (every
// link on the way judged and followed in one look): its open descriptor,
// to be closed by the caller, with its path without links in `reached`.
// -1 with errno set when it cannot be opened (`reached` then names where
// the walk stopped), and with the reason in `why` (and errno EPERM, or
// ELOOP for a loop) when a link on the way may not be followed.
int OpenFolderAsWritten(const std::filesystem::path& dir, std::filesystem::path* reached = nullptr,
                        std::string* why = nullptr);
// The same as a reader reaches it (WriteTarget::OpenToRead): a link of
// another user's on the way is followed too, and `crossed` (when given)
// receives why nothing may be written there.
int OpenFolderToRead(const std::filesystem::path& dir, std::filesystem::path* reached = nullptr,
                     std::string* crossed = nullptr);

// The file a write to `path` lands in (WriteTarget::Open), as a path without
// any symbolic link; nothing, with the reason in `error`, when a link may
// not be followed or a folder on the way cannot be looked at. For what is
// shown and compared; writes go through a WriteTarget.
std::optional<std::filesystem::path> ResolveWriteTarget(const std::filesystem::path& path,
                                                        std::string* error = nullptr);

// Removes what runs of this program that died left beside the file of
// `target`: the files and links of a temporary name that CreateTemporaryIn
// made for it, looked at and removed through its folder. Folders, other
// programs' temporaries, files of other users and every other name are
// left alone. Only for a caller that holds the folder's lock, when no run
// of this program can be making one. Returns how many went.
std::size_t RemoveLeftoverTemporaries(const WriteTarget& target);
// The same beside the file a write to `target` lands in.
std::size_t RemoveLeftoverTemporaries(const std::filesystem::path& target);

}  // namespace velk

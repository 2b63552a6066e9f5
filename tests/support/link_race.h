#pragma once
// Another user's symbolic link exchanged with the user's own while a writer
// follows hers: a writer that takes a link's owner from one look at its
// name and where it leads from another writes wherever the other user
// likes. Root only: the other user's link is given to him with lchown, and
// his process drops to his uid.
#include <sys/types.h>

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_ops.h"

namespace velk::test {

// A folder that both may write into (0777, no sticky bit) holding the
// user's link Airports.txt -> real/Airports.txt and the other user's link
// .a -> <outside>/notes.txt, where `outside` and notes.txt are root's and
// the other user may not write them himself.
class LinkRace {
 public:
  static constexpr uid_t kOther = 65534;

  LinkRace();
  ~LinkRace();
  LinkRace(const LinkRace&) = delete;
  LinkRace& operator=(const LinkRace&) = delete;

  // The user's link, which every writer is given.
  const std::filesystem::path& raced() const { return raced_; }
  // The file her link leads to.
  const std::filesystem::path& file() const { return file_; }
  const std::filesystem::path& shared() const { return shared_; }

  // Starts the other user: a process of his uid and gid that exchanges
  // the two links' names without pause until StopSwapping or the end of
  // the test's process. False, with the reason, when he cannot be made.
  bool StartSwapping(std::string& why);
  void StopSwapping();
  // While on, every link this process reads (readlink, readlinkat) is read
  // with the two names exchanged, and they are exchanged back afterwards:
  // a look at the name before the read sees the user's link, the read
  // itself the other's.
  void ExchangeAroundLinkReads(bool on);
  // While on, the names are exchanged at every file step of the writers
  // (the test seam of platform/file_ops.h): whatever a writer does after
  // its look at the link, the other's may stand at the name by then. Each
  // run begins with the user's link at the name.
  void ExchangeAtFileSteps(bool on);

  struct Outcome {
    bool ok = false;
    std::string why;  // the writer's reason on failure
  };
  struct Writer {
    std::string name;
    // What file() holds before each run; nothing: no such file.
    std::optional<std::string> before;
    // One run, given bytes of its own.
    std::function<Outcome(const std::string& bytes)> write;
    // What a success leaves in file(); nothing: the bytes given.
    std::optional<std::string> lands;
  };
  struct Tally {
    int runs = 0, written = 0, refused = 0;
    int escaped = 0;      // something outside the shared folder was written
    int misreported = 0;  // file() is not what the outcome said
    int unexplained = 0;  // refused without naming the other user's link
    bool stalled = false; // the other user stopped exchanging: the runs prove nothing
    std::string first;    // the first run of each kind gone wrong
    bool Clean() const { return escaped == 0 && misreported == 0 && unexplained == 0 && !stalled; }
    std::string Text() const;
  };
  // Runs `writer` `runs` times, each followed by a look at `outside` and
  // at file(); whatever a run wrote outside is put back before the next.
  Tally Run(const Writer& writer, int runs);

  // The three ways the other user swaps his link in, each run against every
  // writer of `writers` (made for this race): by his process in a loop,
  // just before each link is read, and at every file step after the look.
  // None may write where his link leads.
  static void ExpectNoneFollowsWhileHeSwaps(const std::function<std::vector<Writer>(LinkRace&)>& writers);
  static void ExpectNoneFollowsASwapBeforeTheRead(const std::function<std::vector<Writer>(LinkRace&)>& writers);
  static void ExpectNoneFollowsASwapAfterTheLook(const std::function<std::vector<Writer>(LinkRace&)>& writers);

 private:
  void PutOutsideBack();
  // Waits until the other user's process has exchanged the names since the
  // last run, so that no run falls in a pause of his on a busy machine;
  // false when he stands still for seconds.
  bool AwaitExchanges();

  std::filesystem::path dir_;
  std::filesystem::path shared_, raced_, file_, outside_, notes_;
  std::optional<FileIdentity> notesIdentity_;
  int sharedFd_ = -1;
  pid_t swapper_ = -1;
  std::atomic<unsigned long>* exchanges_ = nullptr;  // counted by that process, in memory shared with it
  unsigned long seen_ = 0;
};

}  // namespace velk::test

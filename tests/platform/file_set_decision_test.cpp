// The decision of a recovery, walked whole: every state of a journal as a
// kill or a power cut leaves it, against every state of each file it names,
// and what the decision would do checked against the two rules that matter:
// the set ends whole or untouched, and the only copy of a version is never
// removed.
#include "platform/file_set_journal.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "platform/file_set.h"

namespace velk::set_journal {
namespace {

using K = Decision::Kind;
using F = Decision::File;

constexpr dev_t kDevice = 1;
constexpr uid_t kUser = 1000;

// What a name holds: nothing, the entry's old or new file, a file changed
// since, or the old or new file's identity on another file system.
enum class At { kMissing, kOld, kNew, kChanged, kOldElsewhere, kNewElsewhere };
struct Slot {
  At at = At::kMissing;
  bool readOnly = false;
};
const std::vector<Slot> kTargets = {{At::kMissing}, {At::kOld},          {At::kNew},          {At::kChanged},
                                    {At::kOldElsewhere}, {At::kNewElsewhere}, {At::kOld, true}, {At::kNew, true}};
const std::vector<Slot> kTemporaries = {{At::kMissing}, {At::kNew}, {At::kChanged}, {At::kNewElsewhere}};
const std::vector<Slot> kKept = {{At::kMissing}, {At::kOld}, {At::kChanged}, {At::kOldElsewhere}};

FileIdentity OldId(size_t i) { return {100 + i, 10, 1, 0}; }
FileIdentity NewId(size_t i) { return {200 + i, 20, 2, 0}; }

Look LookOf(const Slot& s, size_t entry, size_t slot) {
  Look l;
  if (s.at == At::kMissing) return l;
  l.kind = Look::Kind::kFile;
  const bool old = s.at == At::kOld || s.at == At::kOldElsewhere;
  const FileIdentity id = s.at == At::kChanged ? FileIdentity{300 + slot, 30, 3, 0} : old ? OldId(entry) : NewId(entry);
  l.st.st_ino = id.inode;
  l.st.st_size = id.size;
  l.st.st_mtim.tv_sec = id.mtimeSeconds;
  l.st.st_dev = s.at == At::kOldElsewhere || s.at == At::kNewElsewhere ? kDevice + 1 : kDevice;
  l.st.st_uid = kUser;
  l.st.st_mode = S_IFREG | 0644;
  return l;
}

// Which version a slot holds: the entry's old or new one, or a file of its
// own that nothing else holds.
std::string Version(const Slot& s, size_t entry, size_t slot) {
  switch (s.at) {
    case At::kMissing: return "";
    case At::kOld: return "O" + std::to_string(entry);
    case At::kNew: return "N" + std::to_string(entry);
    default: return "X" + std::to_string(slot);
  }
}

// A journal of two targets, a.txt and b.txt; b.txt had no old file when
// `bHadOld` is false.
Journal TwoTargets(bool aHadOld, bool bHadOld) {
  Journal j{"velk", "AbCdEfGh", "4242.77", "boot-1", {}, Journal::Records::kBoth};
  for (size_t i = 0; i < 2; ++i) {
    Entry e;
    e.name = i == 0 ? "a.txt" : "b.txt";
    if (i == 0 ? aHadOld : bHadOld) e.oldId = e.keptId = OldId(i);
    e.newId = NewId(i);
    j.entries.push_back(e);
  }
  return j;
}

// The texts a kill or a power cut can leave of a journal, and how far each
// is read.
struct JournalText {
  const char* name;
  std::string text;
  std::optional<Journal::Records> records;  // none: the empty journal
};
std::vector<JournalText> Texts(const Journal& j) {
  const std::string first = StagedRecord(j), second = CommittedRecord(j);
  std::string damaged = second;
  damaged[damaged.find("200")] = '9';
  return {{"empty", "", std::nullopt},
          {"first cut", first.substr(0, first.size() / 2), Journal::Records::kFirstCut},
          {"first whole", first, Journal::Records::kFirst},
          {"second cut", first + second.substr(0, second.size() - 6), Journal::Records::kFirst},
          {"second zeros", first + std::string(second.size(), '\0'), Journal::Records::kFirst},
          {"second damaged", first + damaged, Journal::Records::kFirst},
          {"committed", first + second + std::string(100, '\0'), Journal::Records::kBoth}};
}

// The facts of the user's own journal of `text`, before any file is looked at.
Facts JournalFacts(const std::string& text, std::string& why) {
  Facts f;
  f.mark = "velk";
  f.user = kUser;
  f.device = kDevice;
  f.journal.kind = Look::Kind::kFile;
  f.journal.st.st_uid = kUser;
  f.journal.st.st_size = static_cast<off_t>(text.size());
  f.empty = text.empty();
  if (!f.empty) f.parsed = ParseJournal(text, "velk", why);
  return f;
}

TEST(RecoveryDecision, EveryJournalAgainstEveryFileEndsWholeOrUntouchedAndKeepsEveryOnlyCopy) {
  size_t cases = 0;
  std::map<K, size_t> kinds;
  for (const bool aHadOld : {true, false})
    for (const bool bHadOld : {true, false}) {
      const Journal written = TwoTargets(aHadOld, bHadOld);
      const bool hadOld[2] = {aHadOld, bHadOld};
      for (const JournalText& t : Texts(written)) {
        std::string why;
        const Facts base = JournalFacts(t.text, why);
        ASSERT_EQ(base.parsed.has_value(), t.records.has_value()) << t.name << ": " << why;
        if (t.records) {
          ASSERT_EQ(base.parsed->records, *t.records) << t.name;
        }
        const bool committed = t.records == Journal::Records::kBoth;
        // Every state of the six names: a.txt, its new and its kept file,
        // then b.txt's.
        const size_t per = kTargets.size() * kTemporaries.size() * kKept.size();
        for (size_t combo = 0; combo < per * per; ++combo) {
          Slot slots[6];
          for (size_t i = 0, c = combo; i < 2; ++i, c /= per) {
            slots[3 * i] = kTargets[c % kTargets.size()];
            slots[3 * i + 1] = kTemporaries[c / kTargets.size() % kTemporaries.size()];
            slots[3 * i + 2] = kKept[c / kTargets.size() / kTemporaries.size() % kKept.size()];
          }
          Facts f = base;
          if (f.parsed && f.parsed->records != Journal::Records::kFirstCut) {
            for (size_t i = 0; i < 2; ++i) {
              Facts::File x;
              x.target = LookOf(slots[3 * i], i, 3 * i);
              x.temporary = LookOf(slots[3 * i + 1], i, 3 * i + 1);
              x.kept = LookOf(slots[3 * i + 2], i, 3 * i + 2);
              x.writable = !slots[3 * i].readOnly;
              x.keptInTarget = x.kept.Exists() && x.target.Exists() && x.kept.st.st_ino == x.target.st.st_ino &&
                               x.kept.st.st_dev == x.target.st.st_dev;
              f.files.push_back(x);
            }
          }
          const Decision d = Decide(f);
          ++cases;
          ++kinds[d.kind];
          // What the steps would leave.
          std::string before[6], after[6];
          for (size_t s = 0; s < 6; ++s) before[s] = after[s] = Version(slots[s], s / 3, s);
          auto describe = [&] {
            std::string text = std::string(t.name) + (aHadOld ? "" : " a:new") + (bHadOld ? "" : " b:new") + " |";
            for (size_t s = 0; s < 6; ++s) text += " " + (before[s].empty() ? "-" : before[s]) + (slots[s].readOnly ? "(ro)" : "");
            return text + " -> kind " + std::to_string(static_cast<int>(d.kind));
          };
          for (const Decision::Step& step : d.steps) {
            const size_t from = 3 * step.entry + static_cast<size_t>(step.from);
            const size_t target = 3 * step.entry;
            ASSERT_FALSE(after[from].empty()) << describe() << ": a step on a missing file";
            const bool rename = step.op == Decision::Step::Op::kRename;
            // A read-only target is never replaced nor removed.
            if (rename || from == target) {
              ASSERT_FALSE(slots[target].readOnly) << describe();
            }
            if (rename) after[target] = after[from];
            after[from] = "";
          }
          bool untouched = true, allNew = true, allOld = true;
          for (size_t i = 0; i < 2; ++i) {
            untouched = untouched && after[3 * i] == before[3 * i];
            allNew = allNew && after[3 * i] == "N" + std::to_string(i);
            allOld = allOld && after[3 * i] == (hadOld[i] ? "O" + std::to_string(i) : "");
          }
          // The set ends whole, or is not touched.
          EXPECT_TRUE(untouched || allNew || allOld) << describe();
          // No version is lost but the one the set was made whole away from,
          // or, before a second record, what stands at a new file's name,
          // which can only be that new file, whole or cut short.
          for (size_t s = 0; s < 6; ++s) {
            const std::string& v = before[s];
            if (v.empty() || std::find(std::begin(after), std::end(after), v) != std::end(after)) continue;
            const bool oldOfWholeNew = v[0] == 'O' && allNew;
            const bool newOfWholeOld = (v[0] == 'N' && allOld) || (!committed && untouched && s % 3 == 1);
            EXPECT_TRUE(oldOfWholeNew || newOfWholeOld) << describe() << ": " << v << " is gone";
          }
          // What finishes a journal leaves no file of its run behind.
          if (d.kind == K::kClear || d.kind == K::kFinish || d.kind == K::kPutBack)
            for (size_t s = 0; s < 6; ++s) {
              if (s % 3 == 0) continue;  // a target
              EXPECT_TRUE(after[s].empty()) << describe() << ": " << after[s] << " is left";
            }
          if (::testing::Test::HasFailure()) return;
        }
      }
    }
  EXPECT_EQ(cases, 4u * 7 * 128 * 128);
  // Every way out is taken somewhere in the walk.
  for (K k : {K::kDrop, K::kClear, K::kFinish, K::kPutBack, K::kSetAside}) EXPECT_GT(kinds[k], 0u) << static_cast<int>(k);
}

// Who may have written the journal, and whether its writer may still run,
// come before anything the journal says.
TEST(RecoveryDecision, AJournalOfAnotherUserOrOfALiveRunIsLeftAlone) {
  const Journal j = TwoTargets(true, true);
  std::string why;
  Facts f = JournalFacts(StagedRecord(j) + CommittedRecord(j), why);
  ASSERT_TRUE(f.parsed);
  for (size_t i = 0; i < 2; ++i) f.files.push_back({false, LookOf({At::kNew}, i, 0), {}, LookOf({At::kOld}, i, 2)});
  EXPECT_EQ(Decide(f).kind, K::kFinish);
  // Holding the lock says the writer is gone, whatever else is known.
  f.writerMayRun = true;
  EXPECT_EQ(Decide(f).kind, K::kFinish);
  f.locks = false;
  EXPECT_EQ(Decide(f).kind, K::kLeave);
  // Without locks, even an empty journal may be a live run's.
  Facts empty = f;
  empty.parsed.reset();
  empty.empty = true;
  EXPECT_EQ(Decide(empty).kind, K::kLeave);
  empty.writerMayRun = false;
  EXPECT_EQ(Decide(empty).kind, K::kDrop);
  f.writerMayRun = false;
  f.files[1].lost = true;
  EXPECT_EQ(Decide(f).kind, K::kSetAside);
  EXPECT_EQ(Decide(f).names, std::vector<std::string>{"b.txt"});
  f.othersMayWrite = true;
  EXPECT_EQ(Decide(f).kind, K::kRefuseOpen);
  f.journal.st.st_uid = kUser + 1;
  EXPECT_EQ(Decide(f).kind, K::kRefuseForeign);
}

// The records are read by position: a name that reads like a mark is a
// name, a set larger than a writer may make is no journal of ours. So are
// those of the earlier versions that a run killed before an update leaves.
TEST(RecoveryDecision, TheJournalIsReadByThePlaceOfEachField) {
  Journal j{"velk", "AbCdEfGh", "4242.77", "boot-1", {}, Journal::Records::kFirst};
  for (const char* name : {"staged", "committed", "end"}) j.entries.emplace_back().name = name;
  std::string why;
  for (const int version : {2, 3, kJournalVersion}) {
    j.version = version;
    const std::string first = StagedRecord(j);
    for (size_t cut = 1; cut < first.size(); ++cut) {
      const std::optional<Journal> read = ParseJournal(first.substr(0, cut), "velk", why);
      ASSERT_TRUE(read) << version << ", " << cut << ": " << why;
      EXPECT_EQ(read->records, Journal::Records::kFirstCut) << version << ", " << cut;
    }
    for (const std::string& whole : {first, first + std::string(40, '\0')}) {
      const std::optional<Journal> read = ParseJournal(whole, "velk", why);
      ASSERT_TRUE(read) << version << ": " << why;
      EXPECT_EQ(read->records, Journal::Records::kFirst) << version;
      EXPECT_EQ(read->version, version);
    }
  }
  j.version = kJournalVersion;
  const std::string first = StagedRecord(j);
  EXPECT_FALSE(ParseJournal(first, "orvane", why));
  j.entries.resize(kMaxSetFiles + 1);
  for (size_t i = 3; i < j.entries.size(); ++i) j.entries[i].name = "x" + std::to_string(i);
  EXPECT_FALSE(ParseJournal(StagedRecord(j), "velk", why));
}

}  // namespace
}  // namespace velk::set_journal

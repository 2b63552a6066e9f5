#pragma once
// The rules behind the simulator aircraft editor's edit fields that touch no
// widget: the class names it shows, the checks of the speed and radius
// texts, the feet text of a radius, and the folders and files that a new
// model, texture or flight-model name refers to, with the copies that bring
// the old ones along.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "data/plan_records.h"
#include "platform/folder_tree.h"

namespace velk {

// Largest cruise speed (knots) and model radius (metres) the editor takes:
// the traffic compiler stores speeds in 16 bits, and no model is larger.
inline constexpr int kMaxCruiseSpeed = 65535;
inline constexpr int kMaxModelRadius = 100000;

// "Not Used" .. "Huge Jet" for classes 1 to 8, "Unknown" for anything else.
std::string ClassDisplayName(int aircraftClass);

// A speed or radius text: a decimal number ("." as decimal mark, blanks
// around it allowed) rounded to a whole number, a half to the even neighbour.
enum class WholeNumberCheck { Ok, NotNumeric, NotPositive, TooLarge };
struct WholeNumberText {
  WholeNumberCheck check = WholeNumberCheck::NotNumeric;
  int value = 0;  // the rounded number when check is Ok
};
WholeNumberText CheckPositiveWholeNumber(std::string_view text, int maximum);

// The radius in feet as the editor shows it: metres × 3.281 rounded to a
// whole number (a half to the even neighbour) and "ft" (25 -> "82ft").
std::string FeetText(int metres);

// True when `text` can be the suffix of a model or texture folder, or the
// name of a flight-model file, inside the aircraft folder: no path
// separator and no character that a simulator file name cannot hold, so a
// name can never reach a folder outside the aircraft's own.
bool IsPlainFileName(std::string_view text);

// A new model, texture or flight-model name and what it means on disk.
struct RenameOnDisk {
  std::filesystem::path from;  // the old folder or file; empty when there is none on disk
  std::filesystem::path to;    // the new folder or file, as it exists or would be made
  bool offerCopy = false;      // `to` is missing while `from` exists
};

// Model (text trimmed): the new model folder is <aircraft folder>/model or
// model.<text>; the old one is the folder of the entry's model file.
RenameOnDisk ModelFolderRename(const FSAircraft& aircraft, const std::string& text);
// Texture: <aircraft folder>/texture or texture.<text>, old and new.
RenameOnDisk TextureFolderRename(const FSAircraft& aircraft, const std::string& text);
// Flight model: <aircraft folder>/<name>.air for the old Sim and the new
// text (".air" added unless the name ends in it in any case); only regular
// files count.
RenameOnDisk AirFileRename(const FSAircraft& aircraft, const std::string& text);

// Copies the folder `from` with everything in it to `to`, which must not
// exist. The copy is made beside `to` under a temporary name and renamed
// into place when complete, so `to` either appears whole or not at all.
// Inside, the links of the user's own and root's are copied as links, never
// followed; one of another user's fails the copy (CopyFolderContents), and
// anything but files, folders and links is left out. False when anything
// could not be copied, and when a link of another user's leads to either
// folder. `report`, when given, receives what was left out, and on failure
// the file that could not be made and why. Files and folders get the
// permissions of new ones (CopyMode). What copies killed part way left
// beside `to` goes first (RemoveLeftoverCopies).
bool CopyFolderWhole(const std::filesystem::path& from, const std::filesystem::path& to,
                     FolderCopy* report = nullptr);

// Removes what folder copies killed part way left in the folders of the
// aircraft of `list` (RemoveLeftoverCopies): the folders the editor copies
// model and texture folders into.
void RemoveLeftoverFolderCopies(const std::vector<FSAircraft>& list);

}  // namespace velk

#pragma once
// The radius of an installed aircraft's visual model, read from its model
// file. Three layouts are known; the kind tells the aircraft editor where to
// write an edited radius back.
#include <cstdint>
#include <string>
#include <string_view>

namespace velk {

class ProfileFile;

// ModelKind values.
inline constexpr int kModelKindNone = 0;
inline constexpr int kModelKindRiff = 1;   // file begins with "RIFF" (any case)
inline constexpr int kModelKindPlain1 = 2;  // marker at 4268/4272
inline constexpr int kModelKindPlain2 = 3;  // marker at 4612/4616

// Byte offset of the 32-bit radius for a kind; -1 for any other kind.
std::int64_t ModelRadiusOffset(int kind);

// Bytes from the start of a model file that the layout tests can look at.
inline constexpr std::size_t kModelHeadBytes = 4618;

struct ModelRadiusFound {
  int kind = kModelKindNone;
  int radius = -1;
};

// Tests the layouts in order on the first bytes of a model file (all of the
// file when it is shorter than kModelHeadBytes). A layout only matches when
// its markers and its radius lie wholly inside `head`, so a short or
// truncated file is never read, or later patched, past its end.
ModelRadiusFound FindModelRadius(std::string_view head);

// Finds the model file of one aircraft section and reads its radius.
// With `modelFolder` empty, the folder comes from the section's "model" key in
// <aircraftFolder>/aircraft.cfg ("model.<value>", or "model" without one);
// otherwise `modelFolder` is used as it is. The file is <normal>.mdl named by
// [models] normal of the folder's model.cfg. Folder and file names are found
// without regard to case.
// Results: kind 0, radius -1 and modelFile empty when no model file with
// content was found; when one was found modelFile holds its path, and kind
// and radius stay 0 and -1 if no layout matches.
void ReadModelRadius(const std::string& aircraftFolder, const std::string& section, int& kind,
                     int& radius, std::string& modelFile, const std::string& modelFolder);

// The same for a caller that has the folder's aircraft.cfg open already.
void ReadModelRadius(const ProfileFile& aircraftCfg, const std::string& aircraftFolder,
                     const std::string& section, int& kind, int& radius,
                     std::string& modelFile);

}  // namespace velk

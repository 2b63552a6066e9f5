// Times saving a move action whose selection holds 100,000 aircraft titles
// (SaveMoveActionFile: the profile file is built, then replaced atomically)
// against a plain loop that appends the same lines into one buffer and
// writes it with the same atomic writer, and times loading it back. Each
// figure is the best of several runs.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/text_file.h"
#include "search/move_action_file.h"
#include "window_plan/window_plan.h"

using velk::bench::BestMs;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
  int titles = argc > 1 ? std::atoi(argv[1]) : 100000;
  int runs = argc > 2 ? std::atoi(argv[2]) : 7;

  std::string tmpl = (fs::temp_directory_path() / "velk-bench-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) return 1;
  const fs::path dir = tmpl;
  const fs::path floorPath = dir / "floor.velka";
  const fs::path actionPath = dir / "VELK Action.velka";

  // Titles as installed aircraft carry them, each one different.
  velk::MoveAction action;
  action.Percent = 35;
  action.Source = "EDDF";
  action.Destination = "KJFK";
  for (int i = 0; i < titles; ++i)
    action.Selection.push_back("Boeing 737-800 Airline " + std::to_string(i) + " Livery (" +
                               std::to_string(i % 97) + ")");

  std::string floorBytes;
  double floorMs = BestMs(runs, [&] {
    floorBytes = "[GENERAL]\r\nTYPE=1\r\n\r\n[SELECTION]\r\n";
    for (const std::string& t : action.Selection) {
      floorBytes += t;
      floorBytes += "=1\r\n";
    }
    floorBytes += "\r\n[OPTIONS]\r\nPERCENT=35\r\nSOURCE=EDDF\r\nDESTINATION=KJFK\r\n";
    velk::WriteFileAtomic(floorPath, floorBytes);
  });
  bool saved = true;
  double saveMs = BestMs(runs, [&] { saved = velk::SaveMoveActionFile(actionPath, action) && saved; });
  bool loaded = true;
  double loadMs = BestMs(runs, [&] { loaded = velk::LoadMoveActionFile(actionPath) == action && loaded; });

  const bool same = velk::ReadFileBytes(actionPath) == floorBytes;
  std::printf("move action: %d titles, %.1f MB\n", titles, floorBytes.size() / 1e6);
  std::printf("plain loop and atomic write  %8.1f ms\n", floorMs);
  std::printf("SaveMoveActionFile           %8.1f ms   ratio %.2f (goal: well under a second)\n", saveMs,
              saveMs / floorMs);
  std::printf("LoadMoveActionFile           %8.1f ms\n", loadMs);
  fs::remove_all(dir);
  if (!saved || !loaded || !same) {
    std::fprintf(stderr, "the saved action %s\n",
                 !saved ? "was not written" : !same ? "differs from the plain loop's bytes" : "read back otherwise");
    return 1;
  }
  return 0;
}

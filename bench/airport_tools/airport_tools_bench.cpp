// The airport tools over 5,000 generated scenery airports in ten facility
// files: the search (for a text in no airport, which reads every field; for
// an empty text, which lists every airport; and the latter in the search
// window, rows built, sorted and shown), and the gate resize of one parking
// type at every airport against reading every facility file and writing it
// back atomically. Each figure is the best of several runs.
#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "airport_tools/airport_search.h"
#include "airport_tools/gate_resize.h"
#include "airport_tools/ui/airport_tools.h"
#include "airport_tools/ui/frm_airport_search.h"
#include "app/frm_main.h"
#include "window_plan/window_plan.h"
#include "data/scenery_airports.h"
#include "platform/message_box.h"
#include "platform/text_file.h"
#include "sample_scenery.h"

using velk::bench::BestMs;
namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (!std::getenv("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int count = argc > 1 ? std::atoi(argv[1]) : 5000;
  int runs = argc > 2 ? std::atoi(argv[2]) : 9;

  std::string tmpl = (fs::temp_directory_path() / "velk-bench-XXXXXX").string();
  if (!::mkdtemp(tmpl.data())) return 1;
  const fs::path dir = tmpl;
  ::setenv("VELK_CONFIG_HOME", (dir / "config").c_str(), 1);
  ::setenv("VELK_FS_PATH", (dir / "sim").c_str(), 1);
  std::string error;
  if (!velk::sample::WriteSceneryFiles(dir / "sim", velk::sample::GeneratedAirports(count), &error)) {
    std::fprintf(stderr, "scenery: %s\n", error.c_str());
    return 1;
  }
  const fs::path scenery = dir / "sim" / "SCENEDB" / "AFDFILES" / "SCENERY";

  QApplication app(argc, argv);
  int messages = 0;
  velk::bench::RefuseMessages(messages);
  // The program folder of the run keeps its scenery cache to itself.
  fs::path program = dir / "program";
  fs::create_directories(program);
  for (const char* name : {"VELK_AC.CFG", "VELK_AL.CFG", "VELK_NAL.CFG", "VELK_NMD.CFG", "VELK_NTP.CFG", "VELK_FL.CFG"})
    fs::copy_file(fs::path(QCoreApplication::applicationDirPath().toStdString()) / name, program / name);
  velk::frmMain window;
  window.SetProgramFolder(program);
  if (!window.StartUp()) return 1;
  window.onSplashTimer();
  window.AirportToolWindows()->ShowAirportSearch();
  velk::frmAirportSearch* search = window.AirportToolWindows()->SearchWindow();
  const std::vector<velk::SceneryAirport>& airports = velk::SceneryAirports();
  if (!search || airports.size() != static_cast<size_t>(count) || messages != 0) {
    std::fprintf(stderr, "the scenery did not load\n");
    return 1;
  }

  // Search: a text found nowhere makes the search read all six fields of
  // every airport; an empty text lists every airport.
  const std::vector<velk::Airport> none;
  size_t found = 0;
  double scanMs = BestMs(runs, [&] { found = velk::SearchSceneryAirports(airports, none, "qzxq", false).size(); });
  double listMs = BestMs(runs, [&] { found = velk::SearchSceneryAirports(airports, none, "", false).size(); });
  search->ckAPOnly->setChecked(false);
  search->txtSearch->setText("");
  double searchMs = BestMs(runs, [&] {
    search->cmdSearch->click();
    QCoreApplication::processEvents();
  });
  const int rows = search->lvSearch->topLevelItemCount();

  // Gate resize: every heavy gate of every airport, alternating two sizes so
  // that every run changes every file; no backups.
  std::vector<fs::path> files;
  for (const auto& e : fs::directory_iterator(scenery)) files.push_back(e.path());
  auto rewrite = [&] {
    for (const fs::path& f : files) {
      std::optional<std::string> bytes = velk::ReadFileBytes(f);
      if (!bytes || !velk::WriteFileAtomic(f, *bytes)) std::fprintf(stderr, "rewrite failed\n");
    }
  };
  velk::GateResizeRequest request;
  request.type = 10;
  request.backup = false;
  velk::GateResizeResult result;
  float size = 12.5f;
  auto resize = [&] {
    request.metres = size;
    size = size == 12.5f ? 13.5f : 12.5f;
    result = velk::ResizeGates(scenery, request);
  };
  double rewriteMs = 1e300;
  double resizeMs = 1e300;
  for (int r = 0; r < runs; ++r) {
    rewriteMs = std::min(rewriteMs, BestMs(1, rewrite));
    resizeMs = std::min(resizeMs, BestMs(1, resize));
  }
  std::uintmax_t bytes = 0;
  for (const fs::path& f : files) bytes += fs::file_size(f);
  if (!result.failed.empty() || messages != 0) {
    std::fprintf(stderr, "the resize failed\n");
    return 1;
  }

  std::printf("scenery: %zu airports in %zu facility files, %.1f MB\n", airports.size(), files.size(),
              static_cast<double>(bytes) / 1e6);
  std::printf("search for a text in no airport:      %8.2f ms (all six fields of every airport read)\n", scanMs);
  std::printf("search listing every airport:        %8.2f ms (%zu rows)\n", listMs, found);
  std::printf("the same in the search window:       %8.2f ms (%d rows built, sorted, shown)\n", searchMs, rows);
  std::printf("read and rewrite every file:         %8.2f ms\n", rewriteMs);
  std::printf("resize heavy gates everywhere:       %8.2f ms (%d spots, %d files written once each)\n", resizeMs,
              result.resized, result.filesChanged);
  std::printf("ratio: %.2f\n", resizeMs / rewriteMs);
  fs::remove_all(dir);
  return 0;
}

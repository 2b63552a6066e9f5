#include "traffic_compiler/decompiler/decompiler_main.h"

#include <cctype>
#include <cerrno>
#include <cstring>

#include "platform/sim_location.h"
#include "traffic_compiler/decompiler/staged_files.h"
#include "traffic_compiler/decompiler/traffic_text.h"

namespace ulvane {
namespace {

constexpr const char* kBannerVersion = "1.3.3";

// INTERIM until the shared reporter and simulator search are merged.
void ReportToolError(std::FILE* out, int code, const std::string& detail) {
  switch (code) {
    case 1: std::fputs("ERROR: Unable to locate FS2002 in computer\n\n", out); break;
    case 4: std::fprintf(out, "\nERROR: Unable to write to output file %s\n\n", detail.c_str()); break;
    case 5: std::fprintf(out, "\nERROR: Unable to read from file %s\n\n", detail.c_str()); break;
    case 10: std::fprintf(out, "\nERROR: Unable to find or open file %s\n\n", detail.c_str()); break;
    case 11: std::fprintf(out, "\nERROR: Unable to create file %s\n\n", detail.c_str()); break;
    default: break;
  }
}
std::filesystem::path LocateFlightSim() { return velk::FlightSimFolder(); }

bool EqualsNoCase(const std::string& a, const char* b) {
  if (a.size() != std::strlen(b)) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    unsigned char x = static_cast<unsigned char>(a[i]);
    unsigned char y = static_cast<unsigned char>(b[i]);
    if (std::tolower(x) != std::tolower(y)) return false;
  }
  return true;
}

void PrintUsage(std::FILE* out) {
  std::fputs(
      "Usage: ulvane [/np]\n"
      "       ulvane --help | --version\n"
      "\n"
      "Turns the simulator's traffic database (SCENEDB/ATC/Scenery/traffic.bgl\n"
      "below the simulator folder) back into Airports.txt, Aircraft.txt and\n"
      "FlightPlans.txt in the current folder.\n"
      "\n"
      "  /np        do not wait for Enter before exiting\n"
      "  --help     show this text and exit\n"
      "  --version  show the version and exit\n"
      "\n"
      "The simulator folder is taken from VELK_FS_PATH when it is set.\n"
      "Exit code: 0 on success, 1 on any error.\n",
      out);
}

// Opening and reading are told apart: a file that is not there is error 10,
// one that cannot be read through is error 5.
int ReadWholeFile(const std::filesystem::path& path, std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return 10;
  char buf[1 << 16];
  for (;;) {
    size_t n = std::fread(buf, 1, sizeof buf, f);
    bytes.append(buf, n);
    if (n < sizeof buf) break;
  }
  bool bad = std::ferror(f) != 0;
  std::fclose(f);
  return bad ? 5 : 0;
}

void WaitForEnter(std::FILE* out, std::FILE* in) {
  std::fputs("Press ENTER key to finish...", out);
  std::fflush(out);
  if (!in) return;
  for (int c = std::fgetc(in); c != EOF && c != '\n'; c = std::fgetc(in)) {
  }
}

}  // namespace

int WriteTrafficFiles(const TrafficDatabase& db, const std::filesystem::path& folder, std::FILE* out) {
  struct Output {
    const char* name;
    std::string (*text)(const TrafficDatabase&, std::FILE*);
  };
  static constexpr Output kOutputs[] = {{"Airports.txt", AirportsText},
                                        {"Aircraft.txt", AircraftText},
                                        {"FlightPlans.txt", FlightPlansText}};
  StagedFiles files;
  for (const Output& o : kOutputs) {
    std::fprintf(out, "Creating %s now...\n", o.name);
    std::string text = o.text(db, out);
    // An existing file of another spelling is replaced, not joined by a twin.
    std::filesystem::path target = velk::ResolvePathNoCase(folder, o.name);
    switch (files.Stage(target, text)) {
      case StagedFiles::Result::kOk: break;
      case StagedFiles::Result::kCannotCreate: ReportToolError(out, 11, o.name); return 11;
      case StagedFiles::Result::kCannotWrite: ReportToolError(out, 4, o.name); return 4;
    }
  }
  std::filesystem::path failed;
  if (!files.Commit(failed)) {
    ReportToolError(out, 11, failed.filename().string());
    return 11;
  }
  return 0;
}

int DecompilerMain(const std::vector<std::string>& args, std::FILE* out, std::FILE* in,
                   const std::filesystem::path& workFolder) {
  const std::string first = args.empty() ? std::string() : args.front();
  if (first == "--help") {
    PrintUsage(out);
    return 0;
  }
  if (first == "--version") {
    std::fprintf(out, "ulvane %s\n", kBannerVersion);
    return 0;
  }
  const bool wait = !EqualsNoCase(first, "/np");

  std::fprintf(out, "De-compiler for FS2002 traffic.bgl file, version %s\n\n", kBannerVersion);
  int rc = 0;
  std::filesystem::path sim = LocateFlightSim();
  if (sim.empty()) {
    ReportToolError(out, 1, "");
    rc = 1;
  } else {
    std::fputs("FS2002 located, decompiling traffic.bgl file now...\n\n", out);
    std::filesystem::path database = velk::ResolvePathNoCase(sim, "SCENEDB/ATC/Scenery/traffic.bgl");
    std::string bytes;
    rc = ReadWholeFile(database, bytes);
    TrafficDatabase db;
    if (rc == 0) rc = ReadTrafficDatabase(bytes, db, out);
    if (rc != 0) {
      ReportToolError(out, rc, database.string());
    } else {
      rc = WriteTrafficFiles(db, workFolder, out);
      if (rc == 0) std::fputs("\nDecompile of traffic.bgl completed\n\n", out);
    }
  }
  std::fflush(out);
  if (wait) WaitForEnter(out, in);
  return rc == 0 ? 0 : 1;
}

}  // namespace ulvane

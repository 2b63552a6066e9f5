#pragma once
// A sample simulator folder of our own making: what velk, orvane and ulvane
// read from a simulator installation, small enough to build in a test.
//
//   <folder>/Aircraft/<name>/aircraft.cfg   several [fltsim.N] sections each,
//                        model folders with model.cfg and .mdl files in the
//                        three radius layouts, texture folders, .air files
//   <folder>/SceneDB/AfdFiles/Scenery/      airport facility files (written by
//                                           WriteSampleScenery)
//   <folder>/SceneDB/ATC/Scenery/           empty; orvane writes traffic.bgl
//
// Folder and file names use mixed case on purpose, so that everything that
// reads the folder has to find names without regard to case.
#include <filesystem>
#include <string>
#include <vector>

namespace velk::sample {

// One [fltsim.N] section.
struct SampleVariation {
  std::string Title;
  std::string Texture;        // texture key; "" for the plain Texture folder
  std::string TextureFolder;  // spelling of the texture folder on disk
  std::string Airline;  // atc_airline
  std::string AtcId;
  std::string FlightNumber;
  std::string Variation;  // ui_variation
};

// One aircraft folder.
struct SampleAircraft {
  std::string Folder;        // folder name below Aircraft
  std::string CfgName;       // spelling of aircraft.cfg on disk
  std::string AtcType;       // [General] atc_type
  std::string AtcModel;      // [General] atc_model
  std::string Manufacturer;  // ui_manufacturer
  std::string UiType;        // ui_type
  std::string CruiseSpeed;   // [Reference Speeds] cruise_speed, as written
  std::string ModelKey;      // fltsim "model" key ("" for the folder "model")
  std::string ModelFolder;   // spelling of the model folder on disk
  std::string ModelCfgName;  // spelling of model.cfg on disk
  std::string MdlName;       // [models] normal of model.cfg
  std::string MdlFile;       // spelling of the .mdl file on disk
  std::string SimKey;        // fltsim "sim" key
  std::string AirFile;       // spelling of the .air file on disk
  int ModelKind = 1;         // 1 RIFF, 2 and 3 the two plain layouts
  int Radius = 0;            // metres
  bool Heavy = false;
  std::vector<SampleVariation> Variations;
};

// The aircraft that MakeSampleSimulator writes, in folder-name order.
const std::vector<SampleAircraft>& SampleAircraftList();

// Every title of SampleAircraftList, in the same order.
std::vector<std::string> SampleAircraftTitles();

// Bytes of a model file that holds `radius` in the layout of `kind` (1, 2 or
// 3); any other kind gives a file in none of the layouts.
std::string ModelFileBytes(int kind, int radius);

// The aircraft.cfg text of one sample aircraft (CRLF lines).
std::string AircraftCfgText(const SampleAircraft& aircraft);

// Writes one aircraft folder below `aircraftFolder`.
bool WriteSampleAircraft(const std::filesystem::path& aircraftFolder,
                         const SampleAircraft& aircraft, std::string* error = nullptr);

// Fills the airport facility folder (SceneDB/AfdFiles/Scenery) with files for
// the sample plan's airports.
bool WriteSampleScenery(const std::filesystem::path& sceneryFolder, std::string* error = nullptr);

// Builds the whole sample simulator in `folder` (created when missing).
// Files that exist already are left as they are, so edits made through velk
// survive a second run; folders are reused whatever the case of their names.
// False with a reason in `error` when something could not be written.
bool MakeSampleSimulator(const std::filesystem::path& folder, std::string* error = nullptr);

}  // namespace velk::sample

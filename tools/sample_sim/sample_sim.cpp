#include "sample_sim/sample_sim.h"

#include <cstdint>
#include <system_error>

#include "platform/sim_location.h"
#include "platform/text_file.h"

namespace velk::sample {
namespace {

SampleVariation Var(std::string title, std::string texture, std::string textureFolder,
                    std::string airline, std::string atcId, std::string flightNumber,
                    std::string variation) {
  return {std::move(title), std::move(texture), std::move(textureFolder), std::move(airline),
          std::move(atcId), std::move(flightNumber), std::move(variation)};
}

std::vector<SampleAircraft> BuildList() {
  std::vector<SampleAircraft> list;
  auto add = [&](SampleAircraft a) { list.push_back(std::move(a)); };

  add({"VELK_A320", "Aircraft.cfg", "AIRBUS", "A320", "Airbus", "A320", "447", "std",
       "model.std", "Model.cfg", "VelkA320", "VELKA320.MDL", "VelkA320", "VELKA320.AIR", 2, 19,
       false,
       {Var("VELK Sample A320 Red", "red", "Texture.red", "Skyhaven", "D-AVSR", "210", "Red"),
        Var("VELK Sample A320 White", "", "Texture", "Skyhaven", "D-AVSW", "212", "White")}});
  add({"VELK_A343", "aircraft.cfg", "AIRBUS", "A343", "Airbus", "A340-300", "475", "",
       "Model", "model.cfg", "velk_a343", "velk_a343.mdl", "velk_a343", "velk_a343.air", 2, 30,
       true,
       {Var("VELK Sample A340-300 Gold", "gold", "Texture.Gold", "Blue Meridian", "F-WVGA",
            "340", "Gold"),
        Var("VELK Sample A340-300 Night", "night", "texture.night", "Blue Meridian", "F-WVNA",
            "342", "Night")}});
  add({"VELK_AT72", "aircraft.cfg", "ATR", "AT72", "ATR", "72-500", "275", "", "model",
       "model.cfg", "velk_at72", "Velk_AT72.mdl", "velk_at72", "velk_at72.air", 2, 14, false,
       {Var("VELK Sample ATR 72 Coral", "coral", "Texture.coral", "Corvane Express", "OY-VLA",
            "720", "Coral"),
        Var("VELK Sample ATR 72 Navy", "navy", "Texture.Navy", "Corvane Express", "OY-VLB",
            "722", "Navy")}});
  add({"VELK_B738", "aircraft.cfg", "BOEING", "B738", "Boeing", "737-800", "451.5", "",
       "Model", "model.cfg", "velk_b738", "velk_b738.mdl", "velk_b738", "velk_b738.air", 1, 20,
       false,
       {Var("VELK Sample 737-800 Blue", "blue", "Texture.Blue", "Velkair", "N738VB", "101",
            "Blue"),
        Var("VELK Sample 737-800 Red", "red", "texture.red", "Velkair", "N738VR", "103", "Red"),
        Var("VELK Sample 737-800 Green", "green", "TEXTURE.GREEN", "Velkair", "N738VG", "105",
            "Green")}});
  add({"VELK_B744", "aircraft.cfg", "BOEING", "B744", "Boeing", "747-400", "490", "", "model",
       "model.cfg", "velk_b744", "velk_b744.mdl", "velk_b744", "Velk_B744.air", 3, 35, true,
       {Var("VELK Sample 747-400 Navy", "navy", "Texture.navy", "Blue Meridian", "N744VN", "1",
            "Navy"),
        Var("VELK Sample 747-400 Cargo", "cargo", "texture.Cargo", "Tarnwell Cargo", "N744VC",
            "8", "Cargo")}});
  add({"VELK_B752", "aircraft.cfg", "BOEING", "B752", "Boeing", "757-200", "460", "", "model",
       "model.cfg", "velk_b752", "velk_b752.mdl", "velk_b752", "velk_b752.air", 1, 23, false,
       {Var("VELK Sample 757-200 Grey", "grey", "Texture.grey", "Velkair", "N752VG", "60",
            "Grey"),
        Var("VELK Sample 757-200 White", "white", "Texture.White", "Skyhaven", "N752VW", "62",
            "White")}});
  add({"VELK_B763", "AIRCRAFT.CFG", "BOEING", "B763", "Boeing", "767-300", "470", "er",
       "Model.ER", "MODEL.CFG", "velk_b763", "velk_b763.mdl", "velk_b763", "velk_b763.air", 1,
       28, true,
       {Var("VELK Sample 767-300 Orange", "orange", "Texture.orange", "Blue Meridian",
            "N763VO", "40", "Orange"),
        Var("VELK Sample 767-300 Forest", "forest", "Texture.Forest", "Velkair", "N763VF", "42",
            "Forest")}});
  add({"VELK_B772", "aircraft.cfg", "BOEING", "B772", "Boeing", "777-200", "490", "", "model",
       "model.cfg", "velk_b772", "velk_b772.mdl", "velk_b772", "velk_b772.air", 3, 32, true,
       {Var("VELK Sample 777-200 Silver", "silver", "Texture.Silver", "Blue Meridian",
            "N772VS", "20", "Silver"),
        Var("VELK Sample 777-200 Ocean", "ocean", "Texture.ocean", "Blue Meridian", "N772VO",
            "22", "Ocean")}});
  add({"VELK_BE20", "aircraft.cfg", "BEECH", "BE20", "Beech", "King Air 200", "260", "",
       "model", "model.cfg", "velk_be20", "velk_be20.mdl", "velk_be20", "VELK_BE20.air", 2, 8,
       false,
       {Var("VELK Sample King Air Charter", "charter", "Texture.Charter", "", "N20VC", "",
            "Charter"),
        Var("VELK Sample King Air Private", "", "texture", "", "N20VP", "", "Private")}});
  add({"VELK_C172", "aircraft.cfg", "CESSNA", "C172", "Cessna", "Skyhawk", "122", "", "model",
       "model.cfg", "velk_c172", "velk_c172.mdl", "velk_c172", "velk_c172.air", 1, 6, false,
       {Var("VELK Sample 172 Trainer", "trainer", "Texture.Trainer", "", "N172VT", "",
            "Trainer"),
        Var("VELK Sample 172 Tourer", "tourer", "Texture.tourer", "", "N172VU", "", "Tourer")}});
  add({"VELK_CRJ2", "aircraft.cfg", "BOMBARDIER", "CRJ2", "Bombardier", "CRJ-200", "420", "",
       "model", "model.cfg", "velk_crj2", "velk_crj2.mdl", "velk_crj2", "velk_crj2.air", 1, 13,
       false,
       {Var("VELK Sample CRJ-200 Teal", "teal", "Texture.teal", "Corvane Express", "C-GVTE",
            "510", "Teal"),
        Var("VELK Sample CRJ-200 White", "white", "Texture.white", "Corvane Express", "C-GVWH",
            "512", "White")}});
  add({"VELK_DH8D", "aircraft.cfg", "DEHAVILLAND", "DH8D", "De Havilland", "Dash 8-400",
       "360", "", "Model", "Model.cfg", "velk_dh8d", "velk_dh8d.mdl", "velk_dh8d",
       "velk_dh8d.air", 3, 15, false,
       {Var("VELK Sample Dash 8 Sky", "sky", "Texture.sky", "Skyhaven", "C-GVSK", "840", "Sky"),
        Var("VELK Sample Dash 8 Grey", "grey", "Texture.Grey", "Skyhaven", "C-GVGR", "842",
            "Grey")}});
  add({"VELK_E145", "aircraft.cfg", "EMBRAER", "E145", "Embraer", "ERJ-145", "410", "", "model",
       "model.cfg", "velk_e145", "velk_e145.mdl", "velk_e145", "velk_e145.air", 2, 12, false,
       {Var("VELK Sample ERJ-145 Mint", "mint", "Texture.mint", "Velkair", "PR-VMI", "614",
            "Mint"),
        Var("VELK Sample ERJ-145 Sand", "sand", "Texture.Sand", "Velkair", "PR-VSA", "616",
            "Sand")}});
  add({"VELK_F100", "aircraft.cfg", "FOKKER", "F100", "Fokker", "100", "410", "", "model",
       "model.cfg", "velk_f100", "VELK_F100.mdl", "velk_f100", "velk_f100.air", 1, 15, false,
       {Var("VELK Sample Fokker 100 Purple", "purple", "Texture.purple", "Corvane Express",
            "PH-VPU", "100", "Purple"),
        Var("VELK Sample Fokker 100 Silver", "silver", "Texture.Silver", "Corvane Express",
            "PH-VSI", "102", "Silver")}});
  add({"VELK_LJ45", "aircraft.cfg", "LEARJET", "LJ45", "Learjet", "45", "457", "", "model",
       "model.cfg", "velk_lj45", "velk_lj45.mdl", "velk_lj45", "velk_lj45.air", 3, 9, false,
       {Var("VELK Sample Learjet 45 Black", "black", "Texture.black", "", "N45VB", "",
            "Black"),
        Var("VELK Sample Learjet 45 Silver", "silver", "Texture.silver", "", "N45VS", "",
            "Silver")}});
  add({"VELK_MD80", "aircraft.cfg", "MCDONNELL-DOUGLAS", "MD80", "McDonnell Douglas", "MD-80",
       "440", "", "model", "model.cfg", "velk_md80", "velk_md80.mdl", "velk_md80",
       "velk_md80.air", 1, 20, false,
       {Var("VELK Sample MD-80 Yellow", "yellow", "Texture.yellow", "Tarnwell Cargo", "N80VY",
            "930", "Yellow"),
        Var("VELK Sample MD-80 Classic", "classic", "Texture.Classic", "Velkair", "N80VC",
            "932", "Classic")}});
  return list;
}

void PutInt32(std::string& b, std::size_t at, std::int32_t value) {
  auto v = static_cast<std::uint32_t>(value);
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

void PutInt16(std::string& b, std::size_t at, std::int16_t value) {
  auto v = static_cast<std::uint16_t>(value);
  b[at] = static_cast<char>(v & 0xFF);
  b[at + 1] = static_cast<char>(v >> 8);
}

bool Fail(std::string* error, const std::string& why) {
  if (error) *error = why;
  return false;
}

// The folder `name` below `base`, reusing one that exists in another case.
bool EnsureFolder(const std::filesystem::path& base, const std::string& name,
                  std::filesystem::path& out, std::string* error) {
  std::filesystem::path unlisted;
  out = ResolvePathNoCase(base, name, &unlisted);
  if (out.empty()) return Fail(error, "cannot list folder " + unlisted.string());
  std::error_code ec;
  std::filesystem::create_directories(out, ec);
  if (!std::filesystem::is_directory(out, ec)) {
    return Fail(error, "cannot create folder " + out.string());
  }
  return true;
}

// Writes a file unless one of that name (in any case) exists already.
bool WriteOnce(const std::filesystem::path& folder, const std::string& name,
               const std::string& bytes, std::string* error) {
  std::filesystem::path unlisted;
  std::filesystem::path p = ResolvePathNoCase(folder, name, &unlisted);
  if (p.empty()) return Fail(error, "cannot list folder " + unlisted.string());
  std::error_code ec;
  if (std::filesystem::exists(p, ec)) return true;
  if (!WriteFileAtomic(p, bytes)) return Fail(error, "cannot write " + p.string());
  return true;
}

}  // namespace

const std::vector<SampleAircraft>& SampleAircraftList() {
  static const std::vector<SampleAircraft> list = BuildList();
  return list;
}

std::vector<std::string> SampleAircraftTitles() {
  std::vector<std::string> titles;
  for (const auto& a : SampleAircraftList()) {
    for (const auto& v : a.Variations) titles.push_back(v.Title);
  }
  return titles;
}

std::string ModelFileBytes(int kind, int radius) {
  std::string b;
  switch (kind) {
    case 1:
      // A chunked file: "RIFF", length, form type, then a header chunk whose
      // fourth field is the radius.
      b.assign(96, '\0');
      b.replace(0, 4, "RIFF");
      PutInt32(b, 4, static_cast<std::int32_t>(b.size() - 8));
      b.replace(8, 4, "MDL9");
      b.replace(12, 4, "MDLH");
      PutInt32(b, 16, 16);
      PutInt32(b, 20, 1);
      PutInt32(b, 24, 0x40);
      PutInt32(b, 28, radius);
      b.replace(36, 4, "BODY");
      PutInt32(b, 40, static_cast<std::int32_t>(b.size() - 44));
      break;
    case 2:
    case 3: {
      std::size_t at = kind == 2 ? 4264 : 4608;
      b.assign(at + 160, '\0');
      for (std::size_t i = 0; i < 64; ++i) b[i] = static_cast<char>(0x10 + i % 7);
      PutInt32(b, at, radius);
      PutInt32(b, at + 4, 0x003A0076);
      PutInt16(b, at + 8, -124);
      break;
    }
    default:
      b = "VELK sample model without a known layout\r\n";
      b.resize(512, '\0');
      break;
  }
  return b;
}

std::string AircraftCfgText(const SampleAircraft& a) {
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < a.Variations.size(); ++i) {
    const SampleVariation& v = a.Variations[i];
    lines.push_back("[fltsim." + std::to_string(i) + "]");
    lines.push_back("title=" + v.Title);
    lines.push_back("sim=" + a.SimKey);
    lines.push_back("model=" + a.ModelKey);
    lines.push_back("panel=");
    lines.push_back("sound=");
    lines.push_back("texture=" + v.Texture);
    lines.push_back("kb_checklists=");
    lines.push_back("kb_reference=");
    lines.push_back("atc_id=" + v.AtcId);
    lines.push_back("atc_airline=" + v.Airline);
    lines.push_back("atc_flight_number=" + v.FlightNumber);
    lines.push_back(std::string("atc_heavy=") + (a.Heavy ? "1" : "0"));
    lines.push_back("ui_manufacturer=" + a.Manufacturer);
    lines.push_back("ui_type=" + a.UiType);
    lines.push_back("ui_variation=" + v.Variation);
    lines.push_back("visual_damage=1");
    lines.push_back("description=" + a.Manufacturer + " " + a.UiType +
                    " made for the VELK sample simulator folder.");
    lines.push_back("");
  }
  lines.push_back("[General]");
  lines.push_back("atc_type=" + a.AtcType);
  lines.push_back("atc_model=" + a.AtcModel);
  lines.push_back("editable=1");
  lines.push_back("performance=Cruise " + a.CruiseSpeed + " kts");
  lines.push_back("");
  lines.push_back("[flight_tuning]");
  lines.push_back("cruise_lift_scalar=1.0");
  lines.push_back("");
  lines.push_back("[Reference Speeds]");
  lines.push_back("cruise_speed=" + a.CruiseSpeed + "   ;Knots True Airspeed");
  return JoinCrLf(lines);
}

bool WriteSampleAircraft(const std::filesystem::path& aircraftFolder, const SampleAircraft& a,
                         std::string* error) {
  std::filesystem::path dir, model;
  if (!EnsureFolder(aircraftFolder, a.Folder, dir, error)) return false;
  if (!WriteOnce(dir, a.CfgName, AircraftCfgText(a), error)) return false;
  if (!WriteOnce(dir, a.AirFile, "VELK sample flight model " + a.AtcModel + "\r\n", error)) {
    return false;
  }
  if (!EnsureFolder(dir, a.ModelFolder, model, error)) return false;
  if (!WriteOnce(model, a.ModelCfgName, JoinCrLf({"[models]", "normal=" + a.MdlName}), error)) {
    return false;
  }
  if (!WriteOnce(model, a.MdlFile, ModelFileBytes(a.ModelKind, a.Radius), error)) return false;
  for (const auto& v : a.Variations) {
    std::filesystem::path texture;
    if (!EnsureFolder(dir, v.TextureFolder, texture, error)) return false;
  }
  return true;
}

bool MakeSampleSimulator(const std::filesystem::path& folder, std::string* error) {
  std::filesystem::path aircraft, scenery, atc;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  if (!std::filesystem::is_directory(folder, ec)) {
    return Fail(error, "cannot create folder " + folder.string());
  }
  if (!EnsureFolder(folder, "Aircraft", aircraft, error)) return false;
  for (const auto& a : SampleAircraftList()) {
    if (!WriteSampleAircraft(aircraft, a, error)) return false;
  }
  if (!EnsureFolder(folder, "SceneDB/AfdFiles/Scenery", scenery, error)) return false;
  if (!EnsureFolder(folder, "SceneDB/ATC/Scenery", atc, error)) return false;
  return WriteSampleScenery(scenery, error);
}

}  // namespace velk::sample

#pragma once
// The Shuffle tab: the five switches of a shuffle, the first "AC#" number
// (with its check and "Auto Value"), the shuffle of the whole loaded plan
// over the aircraft ticked in tvShuffleAircraft, and "Create
// 'AircraftTypes.dat'". The tree's view chooser and its check handling are
// the main window's.
#include <QObject>
#include <cstdint>

#include "shuffle/shuffle_engine.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace velk {

class PlanHost;

struct ShuffleControls {
  QLineEdit* txtStartNumber = nullptr;
  QPushButton* cmdCalcStartNumber = nullptr;
  QCheckBox* ckOverwriteTailNumber = nullptr;
  QCheckBox* ckRemoveMinus = nullptr;
  QCheckBox* ckCheckFL = nullptr;
  QCheckBox* ckIFRVFR = nullptr;
  QCheckBox* ckCheckVisitedAirports = nullptr;
  QPushButton* cmdShuffle = nullptr;
  QPushButton* cmdACTypeDat = nullptr;
};

inline constexpr const char* kStartNumberNotNumericMessage = "Number should be a numeric value.";
inline constexpr const char* kStartNumberTooSmallMessage = "Number should be greater than 0.";
// With no aircraft ticked the shuffle would find none for any flight and
// mark the whole plan removed.
inline constexpr const char* kNoAircraftSelectedMessage = "No aircraft selected.";

class ShuffleTab : public QObject {
  Q_OBJECT

 public:
  ShuffleTab(const ShuffleControls& controls, PlanHost& host, QObject* parent = nullptr);

  // cmdShuffle: the plan aircraft become the ticked aircraft, numbered from
  // the start number, and every flight of the plan is shuffled over them;
  // the trees and the other tabs are refreshed and the counts reported. A
  // run that fails leaves the plan as it was before it.
  void Shuffle();
  // cmdCalcStartNumber: the highest "AC#" number read with the plan, plus 1.
  void CalcStartNumber();
  // txtStartNumber's check, also run when the user leaves the box: a whole
  // number of at least 1 (a fraction rounded, halves to even) becomes the
  // start number; otherwise the user is told, the focus goes back to the
  // box and false is returned.
  bool ValidateStartNumber();
  // cmdACTypeDat: "New AircraftTypes.dat" for the ticked aircraft.
  void CreateAircraftTypes();

  // The switches as the five boxes set them, with the Debug switch.
  ShuffleOptions Options() const;

 private:
  // The message for the start number's text, nullptr when it is a valid
  // number (then given in `number`).
  const char* StartNumberProblem(std::int32_t& number) const;

  ShuffleControls c_;
  PlanHost& host_;
  // The check on leaving the box refused it for a press on cmdShuffle.
  bool leavingRefused_ = false;
};

}  // namespace velk

#include "data/program_state.h"

namespace velk {

ProgramState& Program() {
  static ProgramState state;
  return state;
}

}  // namespace velk

#pragma once

namespace tav {

struct AppState;

// Loads the exchange settings of the operator (time-out, refresh period, repeat count) from
// "langue.ini" into the state; a missing value keeps its default, an out-of-range one is
// clamped to what the setting holds.
void ChargerReglagesEchange(AppState& s);

} // namespace tav

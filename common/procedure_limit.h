// The size of the engine's procedure table. The rule compiler, which writes the procedure
// script, and the engine, which reads it, share this one figure.
#pragma once

namespace zembu {

// Procedure lines the engine keeps and runs; a longer script's further lines are not run.
constexpr int max_procedures = 250;

}  // namespace zembu

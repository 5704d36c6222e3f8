#pragma once

namespace maintenance
{

// The fixed pauses between the progress steps of the backup and the repair windows, which
// let the user follow each step. Every pause is scaled by this one factor: 1 in the program,
// 0 in tests.
inline double pauseFactor = 1.0;

// Blocks the user-interface thread for `ms` milliseconds times the factor.
void pause(int ms);

} // namespace maintenance

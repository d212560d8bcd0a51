// HISTRY: the history files of a solution (requests, records, read-back).
#pragma once

namespace solutions {

// Option 4 reads the history file of unit IUNIT (CONTRL word 70) back and
// prints it; n, t0 and dt receive the file's step count, start time and time
// step.
void histry(int iopt, int& n, float& t0, float& dt);

}  // namespace solutions

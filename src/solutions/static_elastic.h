// "SOL" 1: the static elastic analysis of one or more load cases at once.
#pragma once

namespace solutions {

// SOL01: reads the solution record (NLC, NELOAD), prints the solution header,
// reserves the solution tables and runs STATEL. Works on CONTRL, TITLES,
// STCASE and the work array; reads unit 5, writes unit 6.
void sol01();

// STATEL: joint loads, element loads, stiffness, support displacements,
// reduction and back substitution, reactions, the displacement and reaction
// reports, element forces, commit, strain energy and the envelopes. A zero
// pivot sets bit 0 of ISTOP and ends it at once.
void statel();

}  // namespace solutions

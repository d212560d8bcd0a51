// HISTRY: the history files of a solution. A solution that records histories
// reads its requests (option 1), appends one record per request at each
// written step (option 2) and closes the files at its end (option 3); the
// "READ" command prints a history file back (option 4).
//
// The request table HSTREQ lies in the work array from CONTRL word 64: word 0
// the number of requests, then per request r the triple HKIND (1 degree of
// freedom, 2 element, 3 energy balance, 4 sum of reactions, 5 ground motion),
// the identifier (equation or element number, else the number read) and the
// unit. Option 1 lays it at IZ and advances IZ by 1 + 3 per request.
//
// A history file: the structure title (columns 1-80, then 81-112) and the
// solution title on four lines, the header line
// (3I10,1P,2E15.5,0P,1X,I6,A) = HKIND, identifier, record interval, start
// time, time step, and for joints, elements and the sums the joint ID or type
// code and a label; then one record per written step, the first at step 0.
//
// What a solution keeps current before option 2 (all read from CONTRL):
//   words 53-56  ZMATRX indices of the load, displacement, velocity and
//                acceleration vectors (55 and 56 may be 0: two zeros are written)
//   words 71-80  the energies EINPUT, ESTRN, EPLAS, EKIN, EDAMP (double)
//   words 83-88  RSUM, the reaction sums FX FY FZ MX MY MZ (REAL)
//   words 89-97  GACC, GVEL, GDSP, the ground totals along X Y Z (REAL)
// Option 2 sets IUNIT (word 70) to each request's unit in turn, which is how
// element option 7 finds its unit.
#pragma once

namespace solutions {

enum HistryOption : int {
  kHistRequests = 1,  // read the requests, lay HSTREQ, write every file's header
  kHistRecords = 2,   // one record per request for the current step
  kHistClose = 3,     // close every request's unit
  kHistReadBack = 4,  // the "READ" command: print the file of unit IUNIT (CONTRL word 70)
};

// iopt 1: n, t0, dt in = the record interval (time history: NWRITE; static
//   nonlinear: its record interval), the start time and the time step (0.0 and
//   0.0 in the static nonlinear solution); written into every header. Reads
//   from unit 5 up to the line whose key holds "END". Call it only when the
//   interval is above 0.
// iopt 2, 3: n, t0, dt are not used. The caller writes step 0 and then every
//   n steps.
// iopt 4: reads unit IUNIT back with the interval READINC (CONTRL word 98, a
//   value below 1 is taken as 1) and prints it; n, t0, dt receive the file's
//   record interval, start time and time step. The record values read stay in
//   the CONTRL words above.
// Any other iopt acts as 1.
void histry(int iopt, int& n, float& t0, float& dt);

}  // namespace solutions

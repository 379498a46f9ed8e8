// The stiffness method, step by step, on the fixed arrays of AnalysisWorkspace. DOF 2j-1 is joint
// j's horizontal displacement (right positive), 2j its vertical (up positive); the left support
// fixes both, the right support its vertical. Results depend on the exact order of operations
// below, which every step keeps.
#pragma once

#include "analysis/analysis.h"
#include "model/bridge_model.h"

// Member stiffness k = A E / L (kips per inch) and the cosine and sine of its angle, then the full
// stiffness matrix K over DOFs 1..2 * jointCount, members added in ascending order.
void assembleStiffness(const BridgeModel& model, AnalysisWorkspace& ws);

// Numbers the free DOFs 1..nf in ascending DOF order (the free-DOF map and its inverse).
void buildFreeDofMap(const BridgeModel& model, AnalysisWorkspace& ws);

// Chooses the columns of G to keep: the vertical DOFs of roadbed joints, and of free joints when
// the truss carries its own weight. Every other column meets a zero load in every case.
void chooseLoadedColumns(const BridgeModel& model, const AnalysisOptions& options, AnalysisWorkspace& ws);
// Keeps every column of G, as the textbook inversion does.
void keepAllColumns(AnalysisWorkspace& ws);

// A = the free rows and columns of K; G = the kept columns of the identity.
void reduceToFreeDofs(AnalysisWorkspace& ws);

// Gauss-Jordan inversion of A into G, the textbook way: a pivot is replaced only when it is
// exactly 0.0, by the first lower row with a non-zero entry in its column; no other pivoting,
// scaling or tolerance. Needs every column kept. Returns false when the matrix is singular; counts
// the row swaps made into rowSwaps when given.
bool invertGaussJordan(AnalysisWorkspace& ws, int* rowSwaps = nullptr);

// The same elimination, skipping work that cannot change a bit of the result: rows whose
// multiplier is 0, entries outside the non-zero span of the pivot row, the already reduced
// columns of A and the columns of G no load reaches. That holds only while every pivot is positive
// (as for any properly supported truss): then no negative zero ever appears, so subtracting a zero
// product leaves an entry exactly as it was. Returns false, with A and G spoiled, at the first
// pivot that is not positive; the caller then starts over with invertGaussJordan.
bool invertPositivePivots(AnalysisWorkspace& ws);

// Loads of every case: the truck on case k's roadbed joint plus the enabled shares (whose joint
// fields must be current), into loads[column][k] for the kept columns. Uses loadVector.
void buildLoadCases(const BridgeModel& model, const AnalysisOptions& options, int caseCount,
                    AnalysisWorkspace& ws);

// u = G * load for every case, each sum taken in ascending column order.
void solveLoadCases(int caseCount, AnalysisWorkspace& ws);

// Largest displacement component of case k, as float32; sets exceedsLimit when any component is
// beyond +-240 in or not a number.
float largestDisplacement(const AnalysisWorkspace& ws, int k, bool& exceedsLimit);

// caseForces[i][k] = k_i * elongation of member i along its own axis, kips, tension positive.
void memberForces(const BridgeModel& model, int caseCount, const AnalysisWorkspace& ws,
                  AnalysisResults& results);

#pragma once

#include <cstddef>
#include <vector>

namespace vorl::reference {

// The history of one branch at the report times. Branch A runs from the
// upstream end to the breach, branch B from the breach to the downstream end;
// a breach at an end of the line leaves one branch.
struct BranchSeries {
  bool present = false;
  std::vector<double> releaseRate;        // kg/s through the breach from this branch
  std::vector<double> releasedMass;       // kg through the breach from this branch so far
  std::vector<double> breachEndPressure;  // Pa at the pipe end at the breach
  std::vector<double> farEndPressure;     // Pa at the line end beyond the breach
  std::vector<double> mass;               // kg in the branch (including gas a valve has trapped)
};

// Counts of the numerical work of a run.
struct RunStatistics {
  long long steps = 0;           // time steps taken
  long long stepRetries = 0;     // steps repeated with a shorter time step
  long long jacobians = 0;       // Jacobians formed (linearly implicit steps)
  std::size_t initialCells = 0;  // cells when the run started
  std::size_t finalCells = 0;    // cells at its end
};

// What a reference run gives: time series at the report times.
struct ReferenceResult {
  std::vector<double> time;  // s from the start of the run
  BranchSeries upstream;     // branch A
  BranchSeries downstream;   // branch B
  std::vector<double> releaseRate;      // kg/s, both branches
  std::vector<double> releasedMass;     // kg, both branches
  std::vector<double> inflowRate;       // kg/s fed into the upstream end
  std::vector<double> inflowDelivered;  // kg fed so far
  std::vector<double> sinkRate;         // kg/s delivered into the downstream sink
  std::vector<double> sinkDelivered;    // kg delivered so far
  std::vector<double> lineMass;         // kg in the whole line
  double initialMass = 0.0;             // kg in the line at the start
  bool cancelled = false;               // the progress callback stopped the run
  RunStatistics statistics;
};

// The state of one branch at one report time.
struct BranchSample {
  double releaseRate = 0.0;
  double releasedMass = 0.0;
  double breachEndPressure = 0.0;
  double farEndPressure = 0.0;
  double mass = 0.0;
};

// Everything recorded at one report time.
struct Sample {
  double time = 0.0;
  BranchSample upstream;
  BranchSample downstream;
  double inflowRate = 0.0;
  double inflowDelivered = 0.0;
  double sinkRate = 0.0;
  double sinkDelivered = 0.0;
  double lineMass = 0.0;
};

// Appends a sample to every series of the result (the branch series only for
// the branches present); the totals are the sums over the branches.
void appendSample(ReferenceResult& result, const Sample& sample);

// The state at a time from a history of samples in ascending time, linearly
// interpolated between the two around it; every quantity takes the same
// weights, so that a mass balance the samples close, the result closes too.
// Two samples at one time hold the state just before and just after an event
// there: the time itself takes the later. Times outside the history take its
// first or last sample.
Sample sampleAtTime(const std::vector<Sample>& history, double time);

}  // namespace vorl::reference

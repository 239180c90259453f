#pragma once

namespace vorl {

class VORL;

// The fast model's answer depends on its time division: too coarse a one can
// step the front or the blow-down past the mass balance, so that the mass
// released falls while the gas in the pipe grows beyond what flowed in.

// Runs the model (runModel) and checks its history: when a branch's released
// mass falls, it runs the same case at finer divisions to find the smallest
// that gives a converged answer (a history that keeps the mass balance and
// releases, at 1 min, 10 min and 1 h, within 1 % of the next finer one's),
// runs the case again at its own division, whose answer it keeps, and warns
// (1015 "VorlRun") naming both divisions. Returns runModel's record count.
int runCheckingDivision(VORL& model);

}  // namespace vorl

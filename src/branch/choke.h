#pragma once

#include "model/gas_state.h"

namespace vorl {

// Choking of the breach outflow at the orifice. The flux that friction drives
// through the branch scales with sqrt(P^2 - pe^2); once that exceeds the
// sonic orifice flux ar pe / a the exit pressure rises above ambient until
// both agree.

// The exit pressure at which the driven flux equals the sonic orifice flux,
// for a record at pressure ps, driving pressure P and aperture ar:
// ps when P is not above ps, P when the orifice Mach number is undefined,
// 0 when it is 0, otherwise P ps / sqrt(ps^2 + (P^2 - ps^2) / M^2).
double chokedPressure(const GS& record, double P, double ar) noexcept;

// Tests the record for choking; when choked and the choked pressure pc is
// above 0, rewrites it to pressure pc with the sonic flux ar pc / a.
// Returns whether it was choked.
bool chokeCheck(GS& record, double P, double ar);

// Far-end and exit pressure of a branch closed at its far end whose gas gives
// the total P = 2 p0 + pe (three times its pressure integral over its
// length, so p0 = (P - pe) / 2), when its outflow through the record
// (unchoked, at pressure ps) chokes. Unchoked: pe = ps and false.
// Choked: the root y of chokedPressure(record, (P - y) / 2, ar) = y, bracketed
// from [ps, k ps], k = 2, 3, ... below 100000; true. The caller sets the exit
// flux to ar y / a. Raises 209 "SlvChk" when no bracket or no root is found.
bool SlvChk(const GS& record, double P, double ar, double& farEndPressure, double& exitPressure);

}  // namespace vorl

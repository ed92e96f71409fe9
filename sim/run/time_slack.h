// The slack of the run's time comparisons. The loop's times are exact
// multiples of the step (t = steps * step, never a running sum), yet a time
// written in a scenario or on the command line (2.3) and the same time as the
// loop reaches it (115 * 0.02) can differ in their last bits. A time within
// the slack of a due time counts as reached, so that an event at 2.3 s runs in
// the step that reaches 2.3 s and not one step later. 1e-9 s covers that
// rounding (about 1e-16 of t) in flights up to some 1e6 s and is far below
// the steps flights use.
//
// Where a time becomes a count of intervals, floor(t / every + kTimeSlack),
// the same number is a slack on the count: 1e-9 of an interval.
#pragma once

namespace sim {

constexpr double kTimeSlack = 1e-9;  // [s]

}  // namespace sim

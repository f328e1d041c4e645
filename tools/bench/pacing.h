// The benchmark's timing of the real game: its frame pacing with and
// without sleeping between frames, and its start-up.
#pragma once

namespace bench {

// Starts the real game afresh in a child process (vexmoor-pacing, headless
// on the real clock, from the built installation directory) and prints
//   pacing: spin mean A ms p99 B ms; sleep mean C ms p99 D ms; cpu spin E% sleep F%
//   start-up: G ms to the first title frame; peak memory H MB
// after a line with the worst lateness and how it was measured. The
// start-up time runs from just before the child is started to its first
// presented title picture; the peak memory is the child's largest resident
// size over the whole run. When the child cannot run or fails, says why on
// stderr, prints the two lines with "not measured" and returns false.
bool ReportPacing();

}  // namespace bench

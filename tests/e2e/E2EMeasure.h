// zoq-e2e measure: the game on the real clock without videos, from its start to a flight over
// location1, with the start time, the CPU time of each flight frame and the peak memory printed.
#pragma once

namespace e2e {

// zoq-e2e measure DIR [--objects N] [--frames N]: 0 with the three figure lines; 1 with one
// "zoq-e2e: REASON" line when the run fails; 2 for a wrong command line.
int Measure(int argc, char** argv);

} // namespace e2e

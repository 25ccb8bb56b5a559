#pragma once

// Client downtime during an update, a first install and a hostile package, each against the
// lean archiver where one applies, and the launcher's peak memory. Prints figures; 0 unless a
// run could not be set up.
int RunUpdateBenchmark(int runs, int hostile_megabytes);

// Runs programs for the benchmarks and sums up what they took.
#pragma once

#include <string>
#include <vector>

namespace bench {

struct ProgramRun {
    bool ok = false;     // started and exited with status 0
    double seconds = 0;  // wall time from the start to the end of the wait
    double peak_mb = 0;  // largest resident set of the program and of the children it waited for
};

// Runs args (a name is looked up in PATH) with extra_env ahead of this process's environment;
// its standard output and error go to /dev/null.
ProgramRun RunProgram(const std::vector<std::string> &args,
                      const std::vector<std::string> &extra_env = {});

double Median(std::vector<double> values);

// The load averages of /proc/loadavg, for the record of how busy the machine was.
std::string LoadAverage();

}  // namespace bench

// The start script of the up-to-date benchmark: appends the CLOCK_MONOTONIC nanoseconds at which
// it runs to $HOME/start-events and ends, so that the time until a client would start is known.
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

int main() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    const char *home = std::getenv("HOME");
    if (home == nullptr)
        return 1;
    std::ofstream(std::string(home) + "/start-events", std::ios::app)
        << now.tv_sec * 1000000000LL + now.tv_nsec << "\n";
    return 0;
}

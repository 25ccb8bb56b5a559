#include "launcher/command-line.h"

#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "Usage: %s [--help] [--version]\n"
    "\n"
    "Installs or updates your own copy of the Brenthor Loxen client in ~/.BrenthorLoxen from\n"
    "the copy this system carries, with a small progress window while it unpacks, then starts\n"
    "it. It asks nothing and ignores any other argument.\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "  -V, --version  print the version and exit\n"
    "\n"
    "Log: ~/.BrenthorLoxen/log/launcher.log. Manual: man brenthor-loxen\n";

bool IsOneOf(const char *arg, const char *short_name, const char *long_name) {
    return std::strcmp(arg, short_name) == 0 || std::strcmp(arg, long_name) == 0;
}

// The name the user typed, without its folder.
const char *CommandName(const char *program_path) {
    const char *slash = std::strrchr(program_path, '/');
    return slash != nullptr ? slash + 1 : program_path;
}

}  // namespace

bool AnswerHelpOrVersion(int argc, char **argv) {
    for (int i = 1; i < argc; ++i) {
        if (IsOneOf(argv[i], "-h", "--help")) {
            std::printf(kUsage, CommandName(argv[0]));
            return true;
        }
        if (IsOneOf(argv[i], "-V", "--version")) {
            std::printf("brenthor-loxen %s\n", LOXEN_VERSION);
            return true;
        }
    }
    return false;
}

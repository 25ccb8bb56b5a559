#include "launcher/command-line.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iterator>

namespace {

const char kUsage[] =
    "Usage: %s [--help] [--version]\n"
    "\n"
    "Installs or updates your own copy of the Brenthor Loxen client in ~/.BrenthorLoxen from\n"
    "the copy this system carries, with a small progress window while it unpacks, then starts\n"
    "it. It asks nothing and ignores other words; an unknown option stops it.\n"
    "\n"
    "  -h, --help     print this help and exit\n"
    "  -V, --version  print the version and exit\n"
    "\n"
    "Log: ~/.BrenthorLoxen/log/launcher.log. Manual: man brenthor-loxen\n";

// The toolkit's own options (its platform plug-in's included), which it takes out of the
// arguments itself. Those that take a value take the next word, whatever it looks like.
const char *const kToolkitOptionsWithValue[] = {"platform",
                                                "platformpluginpath",
                                                "platformtheme",
                                                "plugin",
                                                "display",
                                                "style",
                                                "stylesheet",
                                                "geometry",
                                                "qwindowgeometry",
                                                "qwindowtitle",
                                                "qwindowicon",
                                                "icon",
                                                "session",
                                                "name",
                                                "title",
                                                "visual",
                                                "ncols",
                                                "fn",
                                                "font",
                                                "bg",
                                                "background",
                                                "fg",
                                                "foreground",
                                                "btn",
                                                "button",
                                                "im"};
const char *const kToolkitFlags[] = {"cmap", "reverse",     "nograb",     "dograb",
                                     "sync", "widgetcount", "testability"};
// Spelled with their value after '=' only.
const char *const kToolkitValuePrefixes[] = {"style=", "stylesheet=", "qmljsdebugger="};

bool IsOneOf(const char *arg, const char *short_name, const char *long_name) {
    return std::strcmp(arg, short_name) == 0 || std::strcmp(arg, long_name) == 0;
}

// The name the user typed, without its folder.
const char *CommandName(const char *program_path) {
    const char *slash = std::strrchr(program_path, '/');
    return slash != nullptr ? slash + 1 : program_path;
}

bool IsIn(const char *name, const char *const *names, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (std::strcmp(name, names[i]) == 0)
            return true;
    return false;
}

// The toolkit accepts "--name" for "-name". takes_value is set for one of its options.
bool IsToolkitOption(const char *arg, bool &takes_value) {
    const char *name = arg + (arg[1] == '-' ? 2 : 1);
    takes_value = IsIn(name, kToolkitOptionsWithValue, std::size(kToolkitOptionsWithValue));
    if (takes_value || IsIn(name, kToolkitFlags, std::size(kToolkitFlags)))
        return true;
    for (const char *prefix : kToolkitValuePrefixes)
        if (std::strncmp(name, prefix, std::strlen(prefix)) == 0)
            return true;
    return false;
}

// As GNU programs do: an answer that did not reach standard output is a failure, said on
// standard error.
int FinishAnswer(const char *command) {
    const bool failed = std::ferror(stdout) != 0;
    const bool closed = std::fclose(stdout) == 0;
    const int error = errno;
    if (!failed && closed)
        return 0;
    std::fprintf(stderr, "%s: write error: %s\n", command,
                 closed ? "cannot write to standard output" : std::strerror(error));
    return 1;
}

}  // namespace

int AnswerCommandLine(int argc, char **argv) {
    const char *command = CommandName(argv[0]);
    for (int i = 1; i < argc; ++i) {
        const char *arg = argv[i];
        if (arg[0] != '-')
            continue;
        if (IsOneOf(arg, "-h", "--help")) {
            std::printf(kUsage, command);
            return FinishAnswer(command);
        }
        if (IsOneOf(arg, "-V", "--version")) {
            std::printf("brenthor-loxen %s\n", LOXEN_VERSION);
            return FinishAnswer(command);
        }
        bool takes_value = false;
        if (!IsToolkitOption(arg, takes_value)) {
            std::fprintf(stderr, "%s: unknown option '%s'; see '%s --help'\n", command, arg,
                         command);
            return 2;
        }
        if (takes_value)
            ++i;
    }
    return -1;
}

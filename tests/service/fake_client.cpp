// Stand-in for the per-user client: says "ready" on standard output once its signal
// disposition is set, then waits to be signalled.
//   fake_client           ends on SIGTERM
//   fake_client ignore    ignores SIGTERM (only SIGKILL ends it)
#include <signal.h>
#include <unistd.h>

#include <cstring>

int main(int argc, char **argv) {
    if (argc > 1 && std::strcmp(argv[1], "ignore") == 0)
        ::signal(SIGTERM, SIG_IGN);
    if (::write(STDOUT_FILENO, "ready\n", 6) != 6)
        return 1;
    for (;;) ::pause();
}

// Preloaded into a launcher: SIGKILLs it at the N-th call that changes the disk (N from
// LOXEN_KILL_AT), before that call runs. Counted: rename*, remove, unlink*, rmdir, mkdir*,
// symlink*, link*, open* and fopen* that create, truncate or may write, mkstemp, mkostemp,
// ftruncate, and write to a regular file.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <stdarg.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>

static long kill_at = 0;
static std::atomic<long> calls{0};

// The start script and the client it starts run unharmed.
__attribute__((constructor)) static void Arm() {
    const char *at = getenv("LOXEN_KILL_AT");
    kill_at = at != nullptr ? atol(at) : 0;
    unsetenv("LOXEN_KILL_AT");
    unsetenv("LD_PRELOAD");
}

static void Count(bool changes) {
    if (changes && ++calls == kill_at)
        kill(getpid(), SIGKILL);
}

static bool IsRegularFile(int fd) {
    struct stat st;
    return fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

#define REAL(name, type) static const auto real = reinterpret_cast<type>(dlsym(RTLD_NEXT, #name))
#define COUNTED(ret, name, params, args, changes) \
    extern "C" ret name params {                  \
        REAL(name, ret(*) params);                \
        Count(changes);                           \
        return real args;                         \
    }
#define OPEN(name, params, args)                                                   \
    extern "C" int name params {                                                   \
        va_list ap;                                                                \
        va_start(ap, flags);                                                       \
        const mode_t mode = (flags & (O_CREAT | O_TMPFILE)) ? va_arg(ap, int) : 0; \
        va_end(ap);                                                                \
        REAL(name, int(*) params);                                                 \
        Count((flags & (O_CREAT | O_TRUNC | O_WRONLY | O_RDWR)) != 0);             \
        return real args;                                                          \
    }

COUNTED(int, rename, (const char *a, const char *b), (a, b), true)
COUNTED(int, renameat, (int c, const char *a, int d, const char *b), (c, a, d, b), true)
COUNTED(int, renameat2, (int c, const char *a, int d, const char *b, unsigned f), (c, a, d, b, f),
        true)
COUNTED(int, remove, (const char *p), (p), true)
COUNTED(int, unlink, (const char *p), (p), true)
COUNTED(int, unlinkat, (int d, const char *p, int f), (d, p, f), true)
COUNTED(int, rmdir, (const char *p), (p), true)
COUNTED(int, mkdir, (const char *p, mode_t m), (p, m), true)
COUNTED(int, mkdirat, (int d, const char *p, mode_t m), (d, p, m), true)
COUNTED(int, symlink, (const char *t, const char *p), (t, p), true)
COUNTED(int, symlinkat, (const char *t, int d, const char *p), (t, d, p), true)
COUNTED(int, link, (const char *a, const char *b), (a, b), true)
COUNTED(int, linkat, (int c, const char *a, int d, const char *b, int f), (c, a, d, b, f), true)
COUNTED(int, mkstemp, (char *t), (t), true)
COUNTED(int, mkostemp, (char *t, int f), (t, f), true)
COUNTED(int, ftruncate, (int fd, off_t l), (fd, l), true)
COUNTED(FILE *, fopen, (const char *p, const char *m), (p, m), strpbrk(m, "wa+") != nullptr)
COUNTED(FILE *, fopen64, (const char *p, const char *m), (p, m), strpbrk(m, "wa+") != nullptr)
COUNTED(ssize_t, write, (int fd, const void *b, size_t n), (fd, b, n), IsRegularFile(fd))
OPEN(open, (const char *p, int flags, ...), (p, flags, mode))
OPEN(open64, (const char *p, int flags, ...), (p, flags, mode))
OPEN(openat, (int d, const char *p, int flags, ...), (d, p, flags, mode))
OPEN(openat64, (int d, const char *p, int flags, ...), (d, p, flags, mode))

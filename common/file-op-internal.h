#pragma once

// Helpers shared by the file-op sources only.

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

class ustring;

namespace file_op {

// Logging may touch errno; callers must still see the value of the failing call.
class ErrnoKeeper {
public:
    ErrnoKeeper() : saved_(errno) {}
    ~ErrnoKeeper() { errno = saved_; }
    ErrnoKeeper(const ErrnoKeeper &) = delete;
    ErrnoKeeper &operator=(const ErrnoKeeper &) = delete;
    int saved() const { return saved_; }

private:
    int saved_;
};

// For C buffers from malloc or strdup held in a std::unique_ptr.
struct FreeDeleter {
    void operator()(char *buffer) const { std::free(buffer); }
};

// Thread-safe text of an error number.
inline std::string ErrorText(int err) {
    char buffer[256];
    return ::strerror_r(err, buffer, sizeof buffer);
}

// path without its trailing slashes ("/" stays "/"): a status call on "link/" would follow
// the link.
inline std::string WithoutTrailingSlashes(const char *path) {
    std::string text = path;
    while (text.size() > 1 && text.back() == '/') text.pop_back();
    return text;
}

// FSCopy with the destination created exclusively: nothing there is ever overwritten, and a
// destination left incomplete by a failure is removed again. 0, -1 or -2 as FSCopy.
int CopyToNewFile(const ustring &source, const ustring &destination);

}  // namespace file_op

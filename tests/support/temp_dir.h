#pragma once

#include <set>
#include <string>

namespace loxtest {

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it when the object dies.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::string &path() const { return path_; }
    // path() + "/" + relative
    std::string operator/(const std::string &relative) const { return path_ + "/" + relative; }

private:
    std::string path_;
};

// Small file helpers for tests; each fails the current test on error.
void WriteFile(const std::string &path, const std::string &content);
std::string ReadFile(const std::string &path);
// The content, empty when the file is not there or not readable (no failure).
std::string ReadIfThere(const std::string &path);
void MakeDirs(const std::string &path);
bool PathExists(const std::string &path);  // without following a final link
// The names of the entries directly in dir; none when it cannot be listed (no failure).
std::set<std::string> NamesIn(const std::string &dir);
// How often needle stands in text (overlapping counts).
int CountOf(const std::string &text, const std::string &needle);

// Runs fn in a forked child that has dropped to the unprivileged user "nobody".
// Returns the child's exit status, or -1 when dropping privileges is impossible here
// (the caller then skips with a reason).
int RunAsNobody(int (*fn)(void *), void *arg);

// Gives the user "nobody" the entry at path itself (never a link's target).
void ChownToNobody(const std::string &path);
// Adds read and search permission for everyone.
void MakePassable(const std::string &dir);
// Gives the user "nobody" the tree at path (recursively) and makes every directory above it
// up to and including base passable.
void HandToNobody(const std::string &base, const std::string &path);

}  // namespace loxtest

#include "tests/support/temp_dir.h"

#include <dirent.h>
#include <ftw.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

namespace loxtest {

namespace {

int RemoveEntry(const char *path, const struct stat *, int type, struct FTW *) {
    // Make directories writable first so a test that chmod-ed them does not leak them. Never
    // through a link: chmod follows it and would change a file outside the directory.
    if (type != FTW_SL && type != FTW_SLN)
        ::chmod(path, 0700);
    ::remove(path);
    return 0;
}

int MakeWritable(const char *path, const struct stat *st, int type, struct FTW *) {
    if (type == FTW_D || type == FTW_DNR)
        ::chmod(path, (st->st_mode & 07777) | 0700);
    return 0;
}

}  // namespace

TempDir::TempDir() {
    const char *base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/loxen-test-XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        ADD_FAILURE() << "mkdtemp failed: " << std::strerror(errno);
        return;
    }
    path_ = buffer.data();
}

TempDir::~TempDir() {
    if (path_.empty())
        return;
    ::nftw(path_.c_str(), MakeWritable, 32, FTW_PHYS);
    ::nftw(path_.c_str(), RemoveEntry, 32, FTW_DEPTH | FTW_PHYS);
}

void WriteFile(const std::string &path, const std::string &content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    if (!out)
        ADD_FAILURE() << "cannot write " << path;
}

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "cannot read " << path;
        return {};
    }
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string ReadIfThere(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::set<std::string> NamesIn(const std::string &dir) {
    // readdir, not a directory_iterator: the directory may go while it is read.
    std::set<std::string> names;
    DIR *stream = ::opendir(dir.c_str());
    if (stream == nullptr)
        return names;
    while (const struct dirent *entry = ::readdir(stream)) names.insert(entry->d_name);
    ::closedir(stream);
    names.erase(".");
    names.erase("..");
    return names;
}

int CountOf(const std::string &text, const std::string &needle) {
    int count = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1))
        ++count;
    return count;
}

void MakeDirs(const std::string &path) {
    for (size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        ::mkdir(path.substr(0, slash).c_str(), 0755);
    }
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST)
        ADD_FAILURE() << "mkdir " << path << ": " << std::strerror(errno);
}

bool PathExists(const std::string &path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

int RunAsNobody(int (*fn)(void *), void *arg) {
    struct passwd *nobody = ::getpwnam("nobody");
    if (nobody == nullptr)
        return -1;
    if (::geteuid() != 0 && ::geteuid() != nobody->pw_uid)
        return -1;
    pid_t child = ::fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (::geteuid() == 0) {
            if (::setgroups(0, nullptr) != 0 || ::setgid(nobody->pw_gid) != 0 ||
                ::setuid(nobody->pw_uid) != 0)
                ::_exit(125);
        }
        ::_exit(fn(arg));
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status))
        return -1;
    if (WEXITSTATUS(status) == 125)
        return -1;
    return WEXITSTATUS(status);
}

void ChownToNobody(const std::string &path) {
    const struct passwd *nobody = ::getpwnam("nobody");
    if (nobody == nullptr || ::lchown(path.c_str(), nobody->pw_uid, nobody->pw_gid) != 0)
        ADD_FAILURE() << "cannot give " << path << " to nobody";
}

void MakePassable(const std::string &dir) {
    struct stat st;
    if (::stat(dir.c_str(), &st) != 0 || ::chmod(dir.c_str(), (st.st_mode & 07777) | 0755) != 0)
        ADD_FAILURE() << "cannot open " << dir << " to others";
}

void HandToNobody(const std::string &base, const std::string &path) {
    namespace fs = std::filesystem;
    ChownToNobody(path);
    std::error_code error;
    if (fs::is_directory(fs::symlink_status(path)))
        for (const auto &entry : fs::recursive_directory_iterator(path, error))
            ChownToNobody(entry.path().string());
    for (fs::path dir = fs::path(path).parent_path(); dir.string().size() >= base.size();
         dir = dir.parent_path()) {
        MakePassable(dir.string());
        if (dir == dir.parent_path())
            break;
    }
}

}  // namespace loxtest

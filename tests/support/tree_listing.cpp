#include "tests/support/tree_listing.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <algorithm>
#include <cstdio>

#include "tests/support/temp_dir.h"

namespace loxtest {

namespace {

std::string Describe(const std::string &path, const struct stat &st) {
    if (S_ISDIR(st.st_mode))
        return DirEntry(st.st_mode);
    if (S_ISREG(st.st_mode))
        return FileEntry(st.st_mode, ReadFile(path));
    if (S_ISLNK(st.st_mode)) {
        char target[4096];
        const ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
        return "link " + std::string(target, length > 0 ? static_cast<size_t>(length) : 0);
    }
    return "other " + ModeText(st.st_mode);
}

void List(const std::string &dir, const std::string &prefix,
          const std::vector<std::string> &excluded, TreeListing &listing) {
    DIR *stream = ::opendir(dir.c_str());
    if (stream == nullptr) {
        ADD_FAILURE() << "cannot list " << dir;
        return;
    }
    while (const struct dirent *entry = ::readdir(stream)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        const std::string path = dir + "/" + name;
        if (std::find(excluded.begin(), excluded.end(), path) != excluded.end())
            continue;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) {
            ADD_FAILURE() << "cannot stat " << path;
            continue;
        }
        listing[prefix + name] = Describe(path, st);
        if (S_ISDIR(st.st_mode))
            List(path, prefix + name + "/", excluded, listing);
    }
    ::closedir(stream);
}

}  // namespace

TreeListing ListTree(const std::string &root, const std::vector<std::string> &excluded) {
    TreeListing listing;
    List(root, "", excluded, listing);
    return listing;
}

std::string DirEntry(mode_t mode) {
    return "dir " + ModeText(mode);
}

std::string FileEntry(mode_t mode, const std::string &content) {
    const QByteArray sha =
        QCryptographicHash::hash(QByteArray::fromStdString(content), QCryptographicHash::Sha256);
    return "file " + ModeText(mode) + " " + std::to_string(content.size()) + " " +
           sha.toHex().toStdString();
}

std::string ModeText(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%o", static_cast<unsigned>(mode & 07777));
    return text;
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace loxtest

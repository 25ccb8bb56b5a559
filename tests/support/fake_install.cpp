#include "tests/support/fake_install.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QString>
#include <cstdio>

#include "telk/uipathmanager.h"
#include "tests/support/archive_builder.h"

namespace loxtest {

namespace {

const char kStartStop[] =
    "#!/bin/sh\n"
    "printf '%s\\n' \"$*\" >> \"$(dirname \"$0\")/../../start-stop.log\"\n";

const char *const kClientDirs[] = {"bin", "package", "share"};

int ModeOf(const std::string &relative) {
    return relative == "package/start-stop" || relative == "bin/cloud-loxen-ui" ? 0755 : 0644;
}

mode_t CurrentUmask() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

void SetPath(const char *key, const std::string &value) {
    UIPathManager::getInstance()->setPath(QString::fromLatin1(key),
                                          QDir::cleanPath(QString::fromStdString(value)));
}

std::string ModeText(mode_t mode) {
    char text[8];
    std::snprintf(text, sizeof text, "%o", static_cast<unsigned>(mode & 07777));
    return text;
}

void Snapshot(const std::string &dir, const std::string &prefix,
              std::map<std::string, std::string> &tree) {
    DIR *stream = ::opendir(dir.c_str());
    if (stream == nullptr) {
        ADD_FAILURE() << "cannot list " << dir;
        return;
    }
    while (struct dirent *entry = ::readdir(stream)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        std::string path = dir + "/" + name;
        std::string relative = prefix + name;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0) {
            ADD_FAILURE() << "cannot stat " << path;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            tree[relative] = "dir " + ModeText(st.st_mode);
            Snapshot(path, relative + "/", tree);
        } else if (S_ISLNK(st.st_mode)) {
            char target[4096];
            ssize_t length = ::readlink(path.c_str(), target, sizeof target - 1);
            tree[relative] = "link " + std::string(target, length > 0 ? length : 0);
        } else {
            tree[relative] = "file " + ModeText(st.st_mode) + " " + ReadFile(path);
        }
    }
    ::closedir(stream);
}

}  // namespace

FakeInstall::FakeInstall(const std::string &home_name)
    : root_(dir_ / "root"), home_(dir_ / home_name) {
    MakeDirs(root_ + "/package");
    MakeDirs(root_ + "/log");
    MakeDirs(root_ + "/images");
    MakeDirs(root_ + "/lib");
    // The extractor module, as the installed tree carries it.
    EXPECT_EQ(0, ::symlink(LOXEN_EXTRACTOR_MODULE_PATH, extractor_module().c_str()));
    MakeDirs(home_);
    FillRegistry();
}

std::map<std::string, std::string> FakeInstall::ClientFiles(const std::string &build) {
    return {
        {"INFO", InfoText(build)},
        {"bin/cloud-loxen-ui", "client of build " + build + "\n"},
        {"package/start-stop", kStartStop},
        {"share/readme.txt", std::string(20000, 'r') + build},
    };
}

std::map<std::string, std::string> FakeInstall::ClientTree(const std::string &build) {
    mode_t mask = CurrentUmask();
    std::map<std::string, std::string> tree;
    for (const char *dir : kClientDirs) tree[dir] = "dir " + ModeText(0755 & ~mask);
    for (const auto &file : ClientFiles(build))
        tree[file.first] = "file " + ModeText(ModeOf(file.first) & ~mask) + " " + file.second;
    return tree;
}

std::string FakeInstall::InfoText(const std::string &build) {
    return "[Version]\nmajor_version=1\nminor_version=0\nbuild_version=" + build +
           "\nicon_overlay_version=7\n";
}

void FakeInstall::WriteTargetInfo(const std::string &text) const {
    WriteFile(target_info(), text);
}

void FakeInstall::WritePackage(const std::string &build,
                               const std::map<std::string, std::string> &extra) const {
    ArchiveBuilder archive(ArchiveKind::TarGz);
    for (const char *dir : kClientDirs) archive.AddDir(dir);
    for (const auto &file : ClientFiles(build))
        archive.AddFile(file.first, file.second, ModeOf(file.first));
    for (const auto &file : extra) archive.AddFile(file.first, file.second);
    archive.WriteTo(package_path());
    WriteTargetInfo(InfoText(build));
}

void FakeInstall::InstallClient(const std::string &build) const {
    for (const auto &file : ClientFiles(build)) {
        std::string path = app_path() + "/" + file.first;
        MakeDirs(path.substr(0, path.rfind('/')));
        WriteFile(path, file.second);
        ::chmod(path.c_str(), ModeOf(file.first) & ~CurrentUmask());
    }
}

void FakeInstall::WriteLevelFile(const std::string &text) const {
    WriteFile(root_ + "/log/launcher.debug", text);
}

void FakeInstall::FillRegistry() const {
    FillPathRegistry(home_, root_);
}

void FillPathRegistry(const std::string &home, const std::string &root) {
    SetPath("user_brenthor_loxen_path", home + "/.BrenthorLoxen");
    SetPath("user_brenthor_loxen_app_path", home + "/.BrenthorLoxen/BrenthorLoxen.app");
    SetPath("user_brenthor_loxen_resource_path", home + "/.BrenthorLoxen/BrenthorLoxen.app");
    SetPath("user_brenthor_loxen_data_path", home + "/.BrenthorLoxen/data");
    SetPath("user_brenthor_loxen_working_dir_path", home + "/.BrenthorLoxen/BrenthorLoxen.app/bin");
    SetPath("user_brenthor_loxen_ui_path",
            home + "/.BrenthorLoxen/BrenthorLoxen.app/bin/cloud-loxen-ui");
    SetPath("user_nimbrel_path", home + "/.Nimbrel");
    SetPath("user_nimbrel_resource_path", home + "/.Nimbrel/Nimbrel.app");
    SetPath("root_resource_path", root);
}

std::map<std::string, std::string> SnapshotTree(const std::string &dir) {
    std::map<std::string, std::string> tree;
    Snapshot(dir, "", tree);
    return tree;
}

}  // namespace loxtest

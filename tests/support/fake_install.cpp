#include "tests/support/fake_install.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QString>
#include <filesystem>

#include "telk/uipathmanager.h"
#include "tests/support/archive_builder.h"
#include "tests/support/tree_listing.h"

namespace loxtest {

namespace {

const char kStartStop[] =
    "#!/bin/sh\n"
    "printf '%s\\n' \"$*\" >> \"$(dirname \"$0\")/../../start-stop.log\"\n";

const char *const kClientDirs[] = {"bin", "package", "share"};

int ModeOf(const std::string &relative) {
    return relative == "package/start-stop" || relative == "bin/cloud-loxen-ui" ? 0755 : 0644;
}

void SetPath(const char *key, const std::string &value) {
    UIPathManager::getInstance()->setPath(QString::fromLatin1(key),
                                          QDir::cleanPath(QString::fromStdString(value)));
}

}  // namespace

FakeInstall::FakeInstall(const std::string &home_name)
    : root_(dir_ / "root"), home_(dir_ / home_name) {
    MakeDirs(root_ + "/package");
    MakeDirs(root_ + "/log");
    MakeDirs(root_ + "/images");
    MakeDirs(root_ + "/lib");
    // The extractor module, as the installed tree carries it: a copy, since a link into a build
    // under a private folder would not let the unprivileged user load it.
    std::error_code error;
    std::filesystem::copy_file(LOXEN_EXTRACTOR_MODULE_PATH, extractor_module(), error);
    EXPECT_FALSE(error) << "cannot copy the extractor module: " << error.message();
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

TreeListing FakeInstall::ClientTree(const std::string &build) {
    mode_t mask = CurrentUmask();
    TreeListing tree;
    for (const char *dir : kClientDirs) tree[dir] = DirEntry(0755 & ~mask);
    for (const auto &file : ClientFiles(build))
        tree[file.first] = FileEntry(ModeOf(file.first) & ~mask, file.second);
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

}  // namespace loxtest

#pragma once

#include <map>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/support/tree_listing.h"

namespace loxtest {

// A fake installed tree and a fake home in one temporary directory, with the path registry
// filled for them as start-up fills it:
//   <tmp>/root           the installed tree: INFO, package/nimbrel.qar, log/, images/, and
//                        lib/loxen-extractor.so (a link to the module the build made)
//   <tmp>/<home_name>    the home: .BrenthorLoxen/BrenthorLoxen.app, .Nimbrel, ...
// Nothing is written below the home until a test asks for it.
//
//   FakeInstall fake("Ann Lee");
//   fake.WritePackage("121");       // root/INFO and root/package/nimbrel.qar of build 121
//   fake.InstallClient("120");      // a per-user installation of build 120
class FakeInstall {
public:
    explicit FakeInstall(const std::string &home_name = "home");

    const std::string &base() const { return dir_.path(); }
    const std::string &root() const { return root_; }
    const std::string &home() const { return home_; }
    std::string user_path() const { return home_ + "/.BrenthorLoxen"; }
    std::string app_path() const { return user_path() + "/BrenthorLoxen.app"; }
    std::string ui_path() const { return app_path() + "/bin/cloud-loxen-ui"; }
    std::string data_path() const { return user_path() + "/data"; }
    std::string pid_file() const { return user_path() + "/ui.pid"; }
    std::string nimbrel_path() const { return home_ + "/.Nimbrel"; }
    std::string package_path() const { return root_ + "/package/nimbrel.qar"; }
    std::string target_info() const { return root_ + "/INFO"; }
    std::string extractor_module() const { return root_ + "/lib/loxen-extractor.so"; }
    std::string source_info() const { return app_path() + "/INFO"; }
    // Lines the per-user start script of a fake client appends, one per start: its arguments.
    std::string start_log() const { return user_path() + "/start-stop.log"; }

    // The files of a fake client of this build, by path relative to the application
    // directory. Its package/start-stop appends its arguments to start_log().
    static std::map<std::string, std::string> ClientFiles(const std::string &build);
    // ListTree() of a client of this build installed under the current umask, by
    // WritePackage and an extraction or by InstallClient.
    static TreeListing ClientTree(const std::string &build);
    // An INFO file of group Version with this build and fixed other fields.
    static std::string InfoText(const std::string &build);

    // root/INFO with this text.
    void WriteTargetInfo(const std::string &text) const;
    // root/package/nimbrel.qar holding ClientFiles(build) and `extra` files, and root/INFO of
    // that build.
    void WritePackage(const std::string &build,
                      const std::map<std::string, std::string> &extra = {}) const;
    // Writes ClientFiles(build) straight into the application directory.
    void InstallClient(const std::string &build) const;
    // root/log/launcher.debug with this text (component thresholds).
    void WriteLevelFile(const std::string &text) const;

    // Sets the nine registry keys again (another FakeInstall may have replaced them).
    void FillRegistry() const;

private:
    TempDir dir_;
    std::string root_;
    std::string home_;
};

// Sets the nine path-registry keys for a home directory and an installed tree.
void FillPathRegistry(const std::string &home, const std::string &root);

}  // namespace loxtest

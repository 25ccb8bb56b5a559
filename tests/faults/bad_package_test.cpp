// Broken and hostile packages given to a real launcher, over an old installation and over
// none. A package that cannot be installed leaves the old installation byte for byte (or no
// tree at all), one whose entries try to reach outside the per-user tree is refused, and in
// every case the run ends with status 0, changes nothing outside the per-user tree and
// the log says why.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <ostream>
#include <tuple>

#include "tests/support/archive_builder.h"
#include "tests/support/child_process.h"
#include "tests/support/fault_scratch.h"
#include "tests/support/launcher_sandbox.h"
#include "tests/support/tree_listing.h"

namespace loxtest {
namespace {

const char kOldBuild[] = "120";
const char kNewBuild[] = "121";

enum class Outcome { Refused, Installed };

// Where a package aims when it tries to get out: a folder beside the installed tree and
// the home, with a file in it that must keep its content.
std::string OutsideDir(const FakeInstall &fake) {
    return fake.base() + "/outside";
}
std::string Victim(const FakeInstall &fake) {
    return OutsideDir(fake) + "/victim.txt";
}

// The client of the new build with hostile entries between its first files and its last,
// so that a refusal comes after part of the tree has been written.
void WriteClientPackage(const FakeInstall &fake, ArchiveKind kind,
                        const std::function<void(ArchiveBuilder &)> &hostile) {
    const auto files = FakeInstall::ClientFiles(kNewBuild);
    ArchiveBuilder archive(kind);
    archive.AddDir("bin").AddDir("package").AddDir("share");
    archive.AddFile("INFO", files.at("INFO"));
    archive.AddFile("bin/cloud-loxen-ui", files.at("bin/cloud-loxen-ui"), 0755);
    hostile(archive);
    archive.AddFile("package/start-stop", files.at("package/start-stop"), 0755);
    archive.AddFile("share/readme.txt", files.at("share/readme.txt"));
    archive.WriteTo(fake.package_path());
    fake.WriteTargetInfo(FakeInstall::InfoText(kNewBuild));
}

void WriteTarGz(const FakeInstall &fake, const std::function<void(ArchiveBuilder &)> &hostile) {
    WriteClientPackage(fake, ArchiveKind::TarGz, hostile);
}

// A package of the new build whose bytes are given.
void WriteRawPackage(const FakeInstall &fake, const std::string &bytes) {
    WriteFile(fake.package_path(), bytes);
    fake.WriteTargetInfo(FakeInstall::InfoText(kNewBuild));
}

// Bytes that no compressor turns into anything sensible.
std::string Noise(size_t size) {
    std::string bytes(size, '\0');
    unsigned state = 12345;
    for (char &byte : bytes) {
        state = state * 1103515245 + 12345;
        byte = static_cast<char>(state >> 16);
    }
    return bytes;
}

// A tar written byte by byte, for what libarchive's writer will not produce: a hard link
// that carries data. A pax header in front marks the archive as pax interchange, whose
// readers must honour such data and write it into the file the link reaches.
class RawTar {
public:
    RawTar &AddDir(const std::string &path) { return Add(path, '5', 0755, "", ""); }
    RawTar &AddFile(const std::string &path, const std::string &content, int mode = 0644) {
        return Add(path, '0', mode, "", content);
    }
    RawTar &AddSymlink(const std::string &path, const std::string &target) {
        return Add(path, '2', 0777, target, "");
    }
    RawTar &AddHardLinkWithData(const std::string &path, const std::string &target,
                                const std::string &content) {
        const std::string record = " comment=hard link with data\n";
        const std::string sized = std::to_string(record.size() + 2) + record;
        Add("PaxHeader/" + path, 'x', 0644, "", sized);
        return Add(path, '1', 0644, target, content);
    }
    std::string Bytes() const { return bytes_ + std::string(1024, '\0'); }

private:
    static std::string Padded(const std::string &data) {
        return data + std::string((512 - data.size() % 512) % 512, '\0');
    }

    static std::string Header(const std::string &path, char type, int mode, const std::string &link,
                              size_t size) {
        std::string block(512, '\0');
        char number[16];
        block.replace(0, path.size(), path);
        std::snprintf(number, sizeof number, "%07o", static_cast<unsigned>(mode));
        block.replace(100, 7, number);
        block.replace(108, 7, "0000000");
        block.replace(116, 7, "0000000");
        std::snprintf(number, sizeof number, "%011zo", size);
        block.replace(124, 11, number);
        block.replace(136, 11, "14524052400");
        block[156] = type;
        block.replace(157, link.size(), link);
        block.replace(257, 8, std::string("ustar", 6) + "00");  // magic with its NUL, version
        block.replace(148, 8, "        ");
        unsigned sum = 0;
        for (unsigned char byte : block) sum += byte;
        std::snprintf(number, sizeof number, "%06o", sum);
        block.replace(148, 7, std::string(number, 6) + '\0');
        return block;
    }

    RawTar &Add(const std::string &path, char type, int mode, const std::string &link,
                const std::string &content) {
        if (path.size() >= 100 || link.size() >= 100)
            ADD_FAILURE() << "names of 100 bytes or more need a pax header: " << path;
        bytes_ += Header(path, type, mode, link, content.size()) + Padded(content);
        return *this;
    }

    std::string bytes_;
};

// The new client as a raw tar with hostile entries between its first files and its last.
void WriteRawClientPackage(const FakeInstall &fake, const std::function<void(RawTar &)> &hostile) {
    const auto files = FakeInstall::ClientFiles(kNewBuild);
    RawTar archive;
    archive.AddDir("bin").AddDir("package").AddDir("share");
    archive.AddFile("INFO", files.at("INFO"));
    archive.AddFile("bin/cloud-loxen-ui", files.at("bin/cloud-loxen-ui"), 0755);
    hostile(archive);
    archive.AddFile("package/start-stop", files.at("package/start-stop"), 0755);
    archive.AddFile("share/readme.txt", files.at("share/readme.txt"));
    WriteRawPackage(fake, archive.Bytes());
}

using Tree = std::map<std::string, std::string>;

// The new client's tree with the directories and files a package added to it.
Tree ClientTreeWith(const std::vector<std::string> &dirs,
                    const std::map<std::string, std::string> &files) {
    Tree tree = FakeInstall::ClientTree(kNewBuild);
    const mode_t mask = CurrentUmask();
    for (const std::string &dir : dirs) tree[dir] = DirEntry(0755 & ~mask);
    for (const auto &file : files) tree[file.first] = FileEntry(0644 & ~mask, file.second);
    return tree;
}

struct BadPackage {
    const char *name;
    std::function<void(const FakeInstall &)> write;
    Outcome outcome;
    const char *logged;                                  // a refusal: what the log says
    std::function<Tree(const FakeInstall &)> installed;  // an installation: its tree
};

void PrintTo(const BadPackage &package, std::ostream *out) {
    *out << package.name;
}

const BadPackage kBadPackages[] = {
    {"Missing",
     [](const FakeInstall &fake) {
         std::filesystem::remove(fake.package_path());
         fake.WriteTargetInfo(FakeInstall::InfoText(kNewBuild));
     },
     Outcome::Refused, "cannot open package '", nullptr},
    {"Empty", [](const FakeInstall &fake) { WriteRawPackage(fake, ""); }, Outcome::Refused,
     "is damaged: no entries;", nullptr},
    {"Truncated",
     [](const FakeInstall &fake) {
         WriteTarGz(fake, [](ArchiveBuilder &archive) {
             archive.AddFile("share/noise.bin", Noise(200000));
         });
         const std::string whole = ReadFile(fake.package_path());
         WriteRawPackage(fake, whole.substr(0, whole.size() / 2));
     },
     Outcome::Refused, "is damaged: entry 'share/noise.bin': gzip member at offset 0: truncated",
     nullptr},
    {"NotAnArchive",
     [](const FakeInstall &fake) { WriteRawPackage(fake, "this is not a package\n"); },
     Outcome::Refused, "is damaged: Unrecognized archive format;", nullptr},
    {"CorruptCompressedData",
     [](const FakeInstall &fake) {
         WriteRawPackage(fake, std::string("\x1f\x8b\x08\x00", 4) + Noise(4096));
     },
     Outcome::Refused, "is damaged: gzip member at offset 0: ", nullptr},
    // A package that holds itself (a recursive gzip) would unpack forever: layers stop at four.
    {"CompressedFiveTimesOver",
     [](const FakeInstall &fake) {
         WriteTarGz(fake, [](ArchiveBuilder &) {});
         const std::string path = "'" + fake.package_path() + "'";
         EXPECT_EQ(0, loxtest::RunShell("for i in 1 2 3 4; do gzip -c " + path + " > " + path +
                                        ".z && mv " + path + ".z " + path + "; done"));
     },
     Outcome::Refused, "is damaged: compressed more than 4 times over;", nullptr},
    {"Directory",
     [](const FakeInstall &fake) {
         std::filesystem::remove(fake.package_path());
         MakeDirs(fake.package_path() + "/INFO");
         fake.WriteTargetInfo(FakeInstall::InfoText(kNewBuild));
     },
     Outcome::Refused, "is damaged: reading the package at offset 0: Is a directory;", nullptr},
    {"DotDotEntry",
     [](const FakeInstall &fake) {
         WriteTarGz(
             fake, [](ArchiveBuilder &archive) { archive.AddFile("../escaped.txt", "got out\n"); });
     },
     Outcome::Refused, "is damaged: entry '../escaped.txt': a '..' in its path;", nullptr},
    {"DotDotInsideAPath",
     [](const FakeInstall &fake) {
         WriteTarGz(fake, [](ArchiveBuilder &archive) {
             archive.AddFile("share/../../../../outside/escaped.txt", "got out\n");
         });
     },
     Outcome::Refused,
     "is damaged: entry 'share/../../../../outside/escaped.txt': a '..' in its path;", nullptr},
    {"DotDotEntryInAZip",
     [](const FakeInstall &fake) {
         WriteClientPackage(fake, ArchiveKind::Zip, [](ArchiveBuilder &archive) {
             archive.AddFile("../escaped.txt", "got out\n");
         });
     },
     Outcome::Refused, "is damaged: entry '../escaped.txt': a '..' in its path;", nullptr},
    // An absolute path is placed below the application directory, where it harms nothing.
    {"AbsolutePath",
     [](const FakeInstall &fake) {
         WriteTarGz(fake, [&](ArchiveBuilder &archive) {
             archive.AddFile(OutsideDir(fake) + "/absolute.txt", "got out\n");
         });
     },
     Outcome::Installed, nullptr,
     [](const FakeInstall &fake) {
         std::vector<std::string> dirs;
         const std::string outside = OutsideDir(fake).substr(1);
         for (size_t slash = 0; slash != std::string::npos; slash = outside.find('/', slash + 1))
             if (slash > 0)
                 dirs.push_back(outside.substr(0, slash));
         dirs.push_back(outside);
         return ClientTreeWith(dirs, {{outside + "/absolute.txt", "got out\n"}});
     }},
    // An entry written through a link that an earlier entry made is refused at its header.
    {"SymlinkToAnOutsideDirectoryThenAFileThroughIt",
     [](const FakeInstall &fake) {
         WriteTarGz(fake, [&](ArchiveBuilder &archive) {
             archive.AddSymlink("share/out", OutsideDir(fake));
             archive.AddFile("share/out/planted.txt", "got out\n");
         });
     },
     Outcome::Refused,
     "is damaged: entry 'share/out/planted.txt': written through the symbolic link 'share/out'",
     nullptr},
    {"RelativeSymlinkClimbingOutThenAFileThroughIt",
     [](const FakeInstall &fake) {
         WriteTarGz(fake, [](ArchiveBuilder &archive) {
             archive.AddSymlink("share/up", "../../../..");
             archive.AddFile("share/up/outside/victim.txt", "got out\n");
         });
     },
     Outcome::Refused,
     "is damaged: entry 'share/up/outside/victim.txt': written through the symbolic link "
     "'share/up'",
     nullptr},
    // The later file replaces the link instead of being written through it.
    {"SymlinkToAnOutsideFileThenAFileOfTheSameName",
     [](const FakeInstall &fake) {
         WriteTarGz(fake, [&](ArchiveBuilder &archive) {
             archive.AddSymlink("share/victim", Victim(fake));
             archive.AddFile("share/victim", "overwritten\n");
         });
     },
     Outcome::Installed, nullptr,
     [](const FakeInstall &) {
         return ClientTreeWith({}, {{"share/victim", "overwritten\n"}});
     }},
    // A link's target is placed below the application directory too, where no entry made it.
    {"HardLinkToAnOutsideFile",
     [](const FakeInstall &fake) {
         WriteTarGz(
             fake, [&](ArchiveBuilder &archive) { archive.AddHardLink("share/hl", Victim(fake)); });
     },
     Outcome::Refused, "is damaged: entry 'share/hl': a hard link to '/", nullptr},
    {"HardLinkToAnOutsideFileWithData",
     [](const FakeInstall &fake) {
         WriteRawClientPackage(fake, [&](RawTar &archive) {
             archive.AddHardLinkWithData("share/hl", Victim(fake), "overwritten\n");
         });
     },
     Outcome::Refused, "is damaged: entry 'share/hl': a hard link to '/", nullptr},
    {"HardLinkClimbingOutWithData",
     [](const FakeInstall &fake) {
         WriteRawClientPackage(fake, [](RawTar &archive) {
             archive.AddHardLinkWithData("share/hl", "../../../../outside/victim.txt",
                                         "overwritten\n");
         });
     },
     Outcome::Refused, "is damaged: entry 'share/hl': a '..' in its hard link's target;", nullptr},
    {"HardLinkThroughASymlinkWithData",
     [](const FakeInstall &fake) {
         WriteRawClientPackage(fake, [&](RawTar &archive) {
             archive.AddSymlink("share/s", OutsideDir(fake));
             archive.AddHardLinkWithData("share/hl", "share/s/victim.txt", "overwritten\n");
         });
     },
     Outcome::Refused,
     "is damaged: entry 'share/hl': a hard link to or through the symbolic link 'share/s'",
     nullptr},
};

class BadPackageTest
    : public ::testing::TestWithParam<std::tuple<BadPackage, bool /* old installation */>>,
      protected FaultCase {
protected:
    const BadPackage &package() const { return std::get<0>(GetParam()); }
    bool old_installation() const { return std::get<1>(GetParam()); }

    void SetUp() override {
        MakeDirs(OutsideDir(fake()));
        WriteFile(Victim(fake()), "original\n");
        // Not the mode an extraction gives, so that a chmod through a link shows.
        ::chmod(Victim(fake()).c_str(), 0600);
        if (old_installation()) {
            fake().InstallClient(kOldBuild);
            old_tree = ListTree(fake().app_path());
        }
        package().write(fake());
        outside = Outside();
    }

    // Names in the per-user tree that belong to a replacement: backups and its record (not the
    // record of what a finished one installed).
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> left;
        for (const std::string &name : NamesIn(fake().user_path()))
            if (name.rfind("BrenthorLoxen.app", 0) == 0 && name != "BrenthorLoxen.app" &&
                name != "BrenthorLoxen.app.installed")
                left.push_back(name);
        return left;
    }

    std::string StartLog() const {
        return PathExists(fake().start_log()) ? ReadFile(fake().start_log()) : "";
    }

    void ExpectRefused(const std::string &log) const {
        if (old_installation()) {
            EXPECT_EQ(ListTree(fake().app_path()), old_tree);
            EXPECT_EQ(StartLog(), "start\n") << "the old client was not started";
        } else {
            EXPECT_FALSE(PathExists(fake().app_path())) << "a partial tree was left";
            EXPECT_EQ(StartLog(), "");
        }
        const char *failed = old_installation() ? "upgrade" : "install";
        EXPECT_EQ(CountOf(log, std::string("): Failed to ") + failed + " package\n"), 1) << log;
        EXPECT_EQ(CountOf(log, package().logged), 1) << log;
    }

    void ExpectInstalled(const std::string &log) const {
        EXPECT_EQ(ListTree(fake().app_path()), package().installed(fake()));
        EXPECT_EQ(StartLog(), "start\n");
        EXPECT_EQ(CountOf(log, "[ERROR]"), 0) << log;
    }

    TreeListing old_tree;
    TreeListing outside;
};

TEST_P(BadPackageTest, RunEndsWellAndNothingOutsideTheUserTreeChanges) {
    const CapturedRun run = RunLauncher();

    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "lib path = '" + fake().root() + "/lib/plugins'\n");
    const std::string log = box.Log();
    if (package().outcome == Outcome::Refused)
        ExpectRefused(log);
    else
        ExpectInstalled(log);
    EXPECT_EQ(Leftovers(), std::vector<std::string>{});
    EXPECT_EQ(PathExists(fake().app_path() + ".installed"),
              package().outcome == Outcome::Installed);
    EXPECT_EQ(Outside(), outside);
    EXPECT_EQ(ReadFile(Victim(fake())), "original\n");
}

std::string CaseName(const ::testing::TestParamInfo<BadPackageTest::ParamType> &info) {
    return std::string(std::get<0>(info.param).name) +
           (std::get<1>(info.param) ? "OverAnOldInstallation" : "AsFirstInstallation");
}

INSTANTIATE_TEST_SUITE_P(Packages, BadPackageTest,
                         ::testing::Combine(::testing::ValuesIn(kBadPackages), ::testing::Bool()),
                         CaseName);

// A launcher whose extractor module cannot be loaded (missing, or not a library), or whose
// package is missing, tells the user that its installation is incomplete, not that the package
// is damaged; the log names the file and the reason. An update leaves the running client and
// its copy alone.
struct BrokenInstallation {
    const char *name;
    bool module;           // else the package
    const char *contents;  // nullptr: removed
    const char *reason;
};

void PrintTo(const BrokenInstallation &broken, std::ostream *out) {
    *out << broken.name;
}

class IncompleteInstallationTest : public ::testing::TestWithParam<BrokenInstallation> {};

TEST_P(IncompleteInstallationTest, UserIsToldTheInstallationIsIncomplete) {
    const BrokenInstallation &broken = GetParam();
    for (const bool update : {false, true}) {
        SCOPED_TRACE(update ? "update" : "first installation");
        LauncherSandbox box;
        FaultScratch scratch;
        if (update) {
            ASSERT_TRUE(box.InstallRunningClient("120"));
        }
        const pid_t old_client = ClientNamedBy(box.fake().user_path());
        box.fake().WritePackage(kNewBuild);
        const std::string file =
            broken.module ? box.fake().extractor_module() : box.fake().package_path();
        std::filesystem::remove(file);
        if (broken.contents != nullptr)
            WriteFile(file, broken.contents);

        const CapturedRun run = scratch.Run(box.launcher(), scratch.Env(box.fake().home()));

        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.err.find("\nThe installation of this program is incomplete. Please "
                               "reinstall it.\n"),
                  std::string::npos)
            << run.err;
        EXPECT_EQ(PathExists(box.fake().app_path()), update);
        if (update) {
            EXPECT_EQ(ClientNamedBy(box.fake().user_path()), old_client)
                << "the client was stopped";
        }
        const std::string logged =
            broken.module ? "cannot load '" + file + "' ('loxen_package_extractor'): " + file
                          : "cannot open package '" + file + "'";
        EXPECT_NE(box.Log().find(logged + ": " + broken.reason), std::string::npos) << box.Log();
    }
}

INSTANTIATE_TEST_SUITE_P(Files, IncompleteInstallationTest,
                         ::testing::Values(BrokenInstallation{"ModuleMissing", true, nullptr,
                                                              "cannot open shared object file"},
                                           BrokenInstallation{"ModuleNotALibrary", true,
                                                              "not a library", "file too short"},
                                           BrokenInstallation{"PackageMissing", false, nullptr,
                                                              "No such file or directory"}),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
}  // namespace loxtest

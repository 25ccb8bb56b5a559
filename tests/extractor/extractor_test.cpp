#include "extractor/extractor.h"

#include <archive.h>
#include <archive_entry.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/filter.h>
#include <linux/seccomp.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QSignalSpy>
#include <chrono>
#include <cstddef>
#include <filesystem>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/log.h"
#include "extractor/entry_queue.h"
#include "tests/support/archive_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tmpfs_mount.h"
#include "tests/support/tree_listing.h"
#include "texts/notify_adapter.h"
#include "texts/strtable.h"

namespace {

using loxtest::ArchiveBuilder;
using loxtest::ArchiveKind;
using loxtest::PathExists;
using loxtest::ReadFile;
using loxtest::WriteFile;

struct stat LinkStat(const std::string &path) {
    struct stat st {};
    EXPECT_EQ(0, ::lstat(path.c_str(), &st)) << path;
    return st;
}

size_t ThreadCount() {
    const std::filesystem::directory_iterator tasks("/proc/self/task");
    return static_cast<size_t>(std::distance(begin(tasks), end(tasks)));
}

// The thread count once it has come down to expected, or after two seconds: a joined thread
// can still be listed for a moment while the kernel reaps it.
size_t ThreadCountSettledAt(size_t expected) {
    for (int waited_ms = 0; ThreadCount() > expected && waited_ms < 2000; waited_ms += 10)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return ThreadCount();
}

// Two small entries, then one that the count takes a while to skip.
void WriteSmallThenBig(const std::string &package, const std::string &second) {
    ArchiveBuilder(ArchiveKind::TarGz)
        .AddFile("first", "1")
        .AddFile(second, "2")
        .AddFile("big", std::string(24 << 20, '\0'))
        .WriteTo(package);
}

// From here on, this thread and the threads it starts are refused a working directory of
// their own, as in some sandboxes.
bool RefuseOwnWorkingDirectory() {
    sock_filter filter[] = {
        BPF_STMT(BPF_LD | BPF_W | BPF_ABS, offsetof(seccomp_data, nr)),
        BPF_JUMP(BPF_JMP | BPF_JEQ | BPF_K, __NR_unshare, 0, 1),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ERRNO | EPERM),
        BPF_STMT(BPF_RET | BPF_K, SECCOMP_RET_ALLOW),
    };
    sock_fprog program{sizeof(filter) / sizeof(filter[0]), filter};
    return ::prctl(PR_SET_NO_NEW_PRIVS, 1, 0, 0, 0) == 0 &&
           ::prctl(PR_SET_SECCOMP, SECCOMP_MODE_FILTER, &program) == 0;
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// Every test gets a fresh directory, a package path, a target inside it, a directory outside
// the target that hostile entries aim at, and the extractor's log lines in a file.
class ExtractorTest : public ::testing::Test {
protected:
    void SetUp() override {
        StrTable::InitStrTable();
        WriteFile(dir / "levels", "extractor_debug=7\n");
        ASSERT_EQ(0, Logger::Initialize(Logger::TYPE_FILE, log_path, dir / "levels", 50,
                                        Logger::SCOPE_THREAD));
        loxtest::MakeDirs(outside);
    }
    void TearDown() override { Logger::Destroy(); }

    // known_entries: as after a check that passed, so the extraction meets the damage itself
    int Extract(const std::string &source, const std::string &to, int known_entries = 0) {
        Extractor extractor;
        extractor.SetSource(source.c_str());
        extractor.SetTarget(to.c_str());
        extractor.SetKnownEntries(known_entries);
        return extractor.Extract();
    }
    int Extract() { return Extract(package, target); }
    std::string Log() const { return PathExists(log_path) ? ReadFile(log_path) : ""; }
    bool Logged(const std::string &text) const { return Log().find(text) != std::string::npos; }

    loxtest::TempDir dir;
    const std::string log_path = dir / "extract.log";
    const std::string package = dir / "nimbrel.qar";
    const std::string target = dir / "app";
    const std::string outside = dir / "outside";
};

TEST_F(ExtractorTest, ThreeEntriesSendOneStepPerEntry) {
    ArchiveBuilder(ArchiveKind::TarGz)
        .AddDir("bin")
        .AddFile("bin/cloud-loxen-ui", "#!/bin/sh\n", 0755)
        .AddFile("INFO", "[Version]\nbuild_version=121\n")
        .WriteTo(package);
    QSignalSpy steps(Notify_Adapter::GetInstance(), &Notify_Adapter::sigUpdateProgress);
    QSignalSpy labels(Notify_Adapter::GetInstance(), &Notify_Adapter::sigUpdateDialogText);

    ASSERT_EQ(0, Extract(package, target, 3));

    ASSERT_EQ(1, labels.count());
    EXPECT_EQ("Brenthor Loxen Client is initializing...", labels.at(0).at(0).toString());
    ASSERT_EQ(3, steps.count());
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(3, steps.at(i).at(0).toInt());
        EXPECT_EQ(i + 1, steps.at(i).at(1).toInt());
    }
    EXPECT_EQ("#!/bin/sh\n", ReadFile(target + "/bin/cloud-loxen-ui"));
    EXPECT_EQ("[Version]\nbuild_version=121\n", ReadFile(target + "/INFO"));
    EXPECT_TRUE(Logged("[DEBUG] extractor("));
    EXPECT_TRUE(Logged("decompress from '" + package + "' to '" + target + "'"));
}

// The writing has a thread of its own, but the dialog hears of it from the caller's thread.
TEST_F(ExtractorTest, ProgressStepsComeFromTheCallingThread) {
    WriteSmallThenBig(package, "second");
    std::vector<std::thread::id> senders;
    const QMetaObject::Connection record =
        QObject::connect(Notify_Adapter::GetInstance(), &Notify_Adapter::sigUpdateProgress,
                         [&senders](int, int) { senders.push_back(std::this_thread::get_id()); });

    ASSERT_EQ(0, Extract(package, target, 3));
    QObject::disconnect(record);

    EXPECT_EQ(std::vector<std::thread::id>(3, std::this_thread::get_id()), senders);
}

// Without a count (a first install) the bar shows the share of the package read, rising to
// the whole of it.
TEST_F(ExtractorTest, WithoutACountTheStepsAreTheShareRead) {
    ArchiveBuilder(ArchiveKind::Tar)
        .AddFile("first", "1")
        .AddFile("big", std::string(2 << 20, 'b'))
        .WriteTo(package);
    QSignalSpy steps(Notify_Adapter::GetInstance(), &Notify_Adapter::sigUpdateProgress);

    ASSERT_EQ(0, Extract());

    ASSERT_GE(steps.count(), 2);
    for (int i = 1; i < steps.count(); ++i)
        EXPECT_LT(steps.at(i - 1).at(1).toInt(), steps.at(i).at(1).toInt());
    EXPECT_EQ(1000, steps.last().at(0).toInt());
    EXPECT_EQ(1000, steps.last().at(1).toInt());
}

// Bytes this process has read from files so far.
long long BytesRead() {
    const std::string io = ReadFile("/proc/self/io");
    return std::stoll(io.substr(io.find("rchar: ") + 7));
}

// A failure in the second entry ends the run without the package being read to its end (the
// count stops at its next header), and leaves no thread behind.
TEST_F(ExtractorTest, FailureEndsTheRunBeforeThePackageIsReadToItsEnd) {
    ArchiveBuilder builder(ArchiveKind::TarGz);
    builder.AddFile("first", "1").AddFile("../escaped", "2");
    std::mt19937 random(183);
    std::string noise(64 << 10, ' ');  // incompressible, so that the package is large
    for (int i = 0; i < 64; ++i) {
        for (char &byte : noise) byte = static_cast<char>(random());
        builder.AddFile("e" + std::to_string(i), noise);
    }
    builder.WriteTo(package);
    const size_t threads = ThreadCount();
    const long long before = BytesRead();

    EXPECT_EQ(-1, Extract());

    EXPECT_LT(BytesRead() - before,
              static_cast<long long>(std::filesystem::file_size(package) / 2));
    EXPECT_EQ(threads, ThreadCountSettledAt(threads));
}

// A first install whose package stops coming is given up after the stall limit, and the
// reading left behind writes nothing when the rest comes.
TEST_F(ExtractorTest, FirstInstallThatMakesNoProgressIsGivenUp) {
    ArchiveBuilder(ArchiveKind::Tar).AddFile("first", "1").WriteTo(package);
    const std::string bytes = ReadFile(package);
    int ends[2];
    ASSERT_EQ(0, ::pipe2(ends, O_CLOEXEC));
    const size_t threads = ThreadCount();
    ASSERT_EQ(100, ::write(ends[1], bytes.data(), 100));  // less than a header
    Extractor extractor;
    extractor.SetPackage(ends[0]);
    extractor.SetTarget(target.c_str());
    extractor.SetStallLimit(200);

    EXPECT_EQ(-1, extractor.Extract());
    EXPECT_EQ(PackageExtractor::CheckResult::Stalled, extractor.GetTotals().check.verdict);

    ASSERT_EQ(static_cast<ssize_t>(bytes.size() - 100),
              ::write(ends[1], bytes.data() + 100, bytes.size() - 100));
    ::close(ends[1]);
    EXPECT_EQ(threads, ThreadCountSettledAt(threads));
    ::close(ends[0]);
    EXPECT_FALSE(PathExists(target));
}

// An entry whose size is known to be 0 gets no data read: here a zip's empty file stored by a
// method libarchive cannot decode (6, implode).
TEST_F(ExtractorTest, EmptyEntriesAreWrittenWithoutReadingTheirData) {
    ArchiveBuilder(ArchiveKind::Zip).AddFile("empty", "").AddFile("full", "f").WriteTo(package);
    std::string bytes = ReadFile(package);
    // The local header holds the method at offset 8, the central one at 10; both go to 6.
    for (const auto &[signature, offset] : {std::pair{"PK\3\4", 8}, std::pair{"PK\1\2", 10}}) {
        const size_t at = bytes.find(signature);
        ASSERT_NE(at, std::string::npos);
        bytes[at + offset] = 6;
    }
    WriteFile(package, bytes);

    ASSERT_EQ(0, Extract()) << Log();

    EXPECT_EQ("", ReadFile(target + "/empty"));
    EXPECT_EQ("f", ReadFile(target + "/full"));
}

// A package inside its own target, holding an entry of its own name, is refused whole.
TEST_F(ExtractorTest, PackageInsideTheTargetIsRefusedAndKept) {
    const std::string inside = target + "/nimbrel.qar";
    loxtest::MakeDirs(target);
    ArchiveBuilder(ArchiveKind::Tar).AddFile("nimbrel.qar", "replaced").WriteTo(inside);
    const std::string original = ReadFile(inside);

    EXPECT_EQ(-1, Extract(inside, target));
    EXPECT_EQ(-1, Extract(inside, dir.path()));

    EXPECT_EQ(original, ReadFile(inside));
}

// The line after the known failure line names the step, the entry and the error with errno.
// Nothing takes the pieces, so the reader's first wait shows how much a full queue holds: a
// header counted by a fixed size would let 6 000 headers with a 200 KB attribute each take more
// than a gigabyte.
TEST(EntryQueueTest, AFullQueueHoldsAFewMegabytesWhateverAHeaderCarries) {
    archive_entry *entry = archive_entry_new();
    archive_entry_set_pathname(entry, "f");
    const std::string value(200 << 10, 'x');
    archive_entry_xattr_add_entry(entry, "user.big", value.data(), value.size());
    EntryQueue queue;
    size_t held = 0;
    while (queue.Push(PackagePiece::Header(entry), [&] { queue.Abandon(); })) held += value.size();
    archive_entry_free(entry);
    EXPECT_GT(held, 0u);
    EXPECT_LE(held, size_t{16} << 20);
}

TEST_F(ExtractorTest, FailureLogNamesTheStepTheEntryAndTheError) {
    struct Case {
        const char *name;
        std::string content;  // of the second entry
        size_t truncate_at;   // 0: the package stays whole
        bool small_disk;      // extracted onto an 8 MB tmpfs
        const char *logged;
    };
    const Case cases[] = {
        {"../escaped", "x", 0, false,
         "failed writing the header of '../escaped': Path contains '..' (errno -1)"},
        {"big", std::string(200000, 'q'), 100000, false, "failed reading the data of 'big': "},
        {"huge", std::string(9 << 20, 'h'), 0, true,
         "failed writing the data of 'huge': Write failed (errno 28, No space left on device)"},
    };
    loxtest::MakeDirs(dir / "small");
    const loxtest::TmpfsMount small(dir / "small");
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        if (c.small_disk && !small.mounted())
            continue;  // mounting needs root
        ArchiveBuilder(ArchiveKind::Tar)
            .AddFile("first", "1")
            .AddFile(c.name, c.content)
            .WriteTo(package);
        if (c.truncate_at)
            WriteFile(package, ReadFile(package).substr(0, c.truncate_at));
        EXPECT_EQ(-1, Extract(package, c.small_disk ? dir / "small/app" : target, 2));
        EXPECT_TRUE(Logged(c.logged)) << Log();
    }
}

TEST_F(ExtractorTest, EveryPackageKindExtractsTheSameTree) {
    for (ArchiveKind kind : {ArchiveKind::Tar, ArchiveKind::TarGz, ArchiveKind::Zip}) {
        const std::string to = dir / ("kind" + std::to_string(static_cast<int>(kind)));
        ArchiveBuilder(kind)
            .AddDir("package")
            .AddFile("package/start-stop", "start\n", 0755)
            .AddSymlink("start", "package/start-stop")
            .WriteTo(package);
        ASSERT_EQ(0, Extract(package, to)) << Log();
        EXPECT_EQ("start\n", ReadFile(to + "/package/start-stop"));
        EXPECT_TRUE(S_ISLNK(LinkStat(to + "/start").st_mode));
        EXPECT_EQ("start\n", ReadFile(to + "/start"));
    }
}

TEST_F(ExtractorTest, ModesComeFromTheArchiveWithoutSpecialBitsAndReducedByTheMask) {
    ArchiveBuilder(ArchiveKind::TarGz)
        .AddFile("setuid-tool", "x", 04777)
        .AddFile("private", "y", 0600)
        .WriteTo(package);
    ASSERT_EQ(0, Extract());
    EXPECT_EQ(0777 & ~CurrentUmask(), LinkStat(target + "/setuid-tool").st_mode & 07777);
    EXPECT_EQ(0600 & ~CurrentUmask(), LinkStat(target + "/private").st_mode & 07777);
}

TEST_F(ExtractorTest, ExistingFilesAndLinksAreReplacedNotWrittenThrough) {
    loxtest::MakeDirs(target);
    WriteFile(target + "/INFO", "old");
    WriteFile(outside + "/victim", "untouched");
    ASSERT_EQ(0, ::symlink((outside + "/victim").c_str(), (target + "/start").c_str()));
    ArchiveBuilder(ArchiveKind::TarGz)
        .AddFile("INFO", "new")
        .AddFile("start", "mine")
        .WriteTo(package);

    ASSERT_EQ(0, Extract());

    EXPECT_EQ("new", ReadFile(target + "/INFO"));
    EXPECT_TRUE(S_ISREG(LinkStat(target + "/start").st_mode));
    EXPECT_EQ("mine", ReadFile(target + "/start"));
    EXPECT_EQ("untouched", ReadFile(outside + "/victim"));
}

TEST_F(ExtractorTest, ExtractingTwiceWithOneObjectStartsAfresh) {
    ArchiveBuilder(ArchiveKind::Tar).AddFile("a", "1").AddFile("b", "2").WriteTo(package);
    Extractor extractor;
    extractor.SetSource(package.c_str());
    extractor.SetTarget(target.c_str());
    extractor.SetKnownEntries(2);
    QSignalSpy steps(Notify_Adapter::GetInstance(), &Notify_Adapter::sigUpdateProgress);
    ASSERT_EQ(0, extractor.Extract());
    ASSERT_EQ(0, extractor.Extract());
    ASSERT_EQ(4, steps.count());
    EXPECT_EQ(1, steps.at(2).at(1).toInt());
    EXPECT_EQ(2, steps.at(3).at(1).toInt());
}

// Hard links name an earlier entry by its path in the archive; the link must land on the
// copy below the target, wherever the process happens to run.
TEST_F(ExtractorTest, HardLinksPointAtTheEntryBelowTheTarget) {
    ArchiveBuilder(ArchiveKind::TarGz)
        .AddDir("d")
        .AddFile("d/b", "shared")
        .AddHardLink("d/c", "d/b")
        .WriteTo(package);
    ASSERT_EQ(0, Extract()) << Log();
    EXPECT_EQ(LinkStat(target + "/d/b").st_ino, LinkStat(target + "/d/c").st_ino);
    EXPECT_EQ(2u, LinkStat(target + "/d/b").st_nlink);
}

TEST_F(ExtractorTest, TargetIsCreatedWithItsMissingParents) {
    const std::string nested = dir / "home/.BrenthorLoxen/BrenthorLoxen.app";
    ArchiveBuilder(ArchiveKind::TarGz).AddFile("INFO", "i").WriteTo(package);
    ASSERT_EQ(0, Extract(package, nested));
    EXPECT_EQ("i", ReadFile(nested + "/INFO"));
}

// A home directory reached through a link (another disk, say) must keep its link.
TEST_F(ExtractorTest, TargetReachedThroughALinkFillsTheLinksDestination) {
    loxtest::MakeDirs(dir / "disk/home");
    ASSERT_EQ(0, ::symlink((dir / "disk/home").c_str(), (dir / "home").c_str()));
    const std::string linked_target = dir / "home/BrenthorLoxen.app";
    ArchiveBuilder(ArchiveKind::TarGz).AddDir("bin").AddFile("bin/run", "r").WriteTo(package);

    ASSERT_EQ(0, Extract(package, linked_target)) << Log();

    EXPECT_TRUE(S_ISLNK(LinkStat(dir / "home").st_mode));
    EXPECT_EQ("r", ReadFile(dir / "disk/home/BrenthorLoxen.app/bin/run"));
    EXPECT_TRUE(Logged("to '" + linked_target + "'"));
}

TEST_F(ExtractorTest, DotDotEntryFailsAfterTheEntriesBeforeItAndWritesNothingOutside) {
    for (ArchiveKind kind : {ArchiveKind::TarGz, ArchiveKind::Zip}) {
        ArchiveBuilder(kind).AddFile("first", "1").AddFile("../escaped", "x").WriteTo(package);
        EXPECT_EQ(-1, Extract(package, target, 2));
        EXPECT_EQ("1", ReadFile(target + "/first"));
        EXPECT_FALSE(PathExists(dir / "escaped"));
        EXPECT_TRUE(Logged("[ERROR] extractor("));
        EXPECT_TRUE(Logged("archive_read_extract2 failed: 'Path contains '..''"));
    }
}

TEST_F(ExtractorTest, AbsolutePathsArePlacedBelowTheTarget) {
    ArchiveBuilder(ArchiveKind::Tar).AddFile(outside + "/planted", "x").WriteTo(package);
    ASSERT_EQ(0, Extract());
    EXPECT_FALSE(PathExists(outside + "/planted"));
    EXPECT_EQ("x", ReadFile(target + outside + "/planted"));
}

// The writer works inside the target on a thread of its own; where the system refuses that,
// it writes by full path. Either way the caller's working directory neither moves nor
// receives anything.
TEST_F(ExtractorTest, EntriesLandBelowTheTargetWhereverTheCallerWorks) {
    ArchiveBuilder(ArchiveKind::TarGz)
        .AddDir("./")
        .AddFile("sub/file", "f")
        .AddFile("/absolute", "a")
        .AddHardLink("sub/link", "sub/file")
        .WriteTo(package);
    for (const bool refused : {false, true}) {
        const std::string to = dir / (refused ? "refused" : "own");
        const pid_t child = ::fork();
        if (child == 0) {
            const bool ready =
                (!refused || RefuseOwnWorkingDirectory()) && ::chdir(outside.c_str()) == 0;
            const bool extracted = ready && Extract(package, to) == 0;
            ::_exit(extracted && std::filesystem::current_path() == outside ? 0 : 1);
        }
        int status = -1;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));
        EXPECT_EQ(0, status) << Log();
        EXPECT_EQ("f", ReadFile(to + "/sub/file"));
        EXPECT_EQ("a", ReadFile(to + "/absolute"));
        EXPECT_EQ(LinkStat(to + "/sub/file").st_ino, LinkStat(to + "/sub/link").st_ino);
        EXPECT_TRUE(std::filesystem::is_empty(outside));
    }
}

TEST_F(ExtractorTest, NoEntryIsWrittenThroughALinkMadeByAnEarlierEntry) {
    int run = 0;
    for (const std::string &link_target : {outside, std::string("../outside")}) {
        const std::string to = dir / ("app" + std::to_string(++run));
        ArchiveBuilder(ArchiveKind::TarGz)
            .AddSymlink("lib", link_target)
            .AddFile("lib/planted", "x")
            .WriteTo(package);
        // Refused by the check beside; the writer would replace the link by a directory.
        EXPECT_EQ(-1, Extract(package, to)) << Log();
        EXPECT_FALSE(PathExists(outside + "/planted")) << link_target;
    }
}

TEST_F(ExtractorTest, HardLinksToFilesOutsideTheTargetAreRefused) {
    WriteFile(outside + "/victim", "untouched");
    const std::string victim = outside + "/victim";
    const std::string hostile[] = {victim, "../outside/victim", "lib/victim"};
    int run = 0;
    for (const std::string &link_target : hostile) {
        const std::string to = dir / ("app" + std::to_string(++run));
        ArchiveBuilder(ArchiveKind::Tar)
            .AddSymlink("lib", outside)
            .AddHardLink("grab", link_target)
            .WriteTo(package);
        EXPECT_EQ(-1, Extract(package, to)) << link_target;
        EXPECT_FALSE(PathExists(to + "/grab")) << link_target;
        EXPECT_EQ(1u, LinkStat(victim).st_nlink) << link_target;
        EXPECT_EQ("untouched", ReadFile(victim));
    }
}

// Packages under which the extractor once changed something outside its target (kept by the
// fuzz target). Each unpacks two levels below the package, which it can name "../../nimbrel.qar".
TEST_F(ExtractorTest, FuzzRegressionPackagesChangeNothingOutsideTheTarget) {
    int run = 0;
    for (const auto &input : std::filesystem::directory_iterator(
             LOXEN_SOURCE_DIR "/fuzz/regressions/extractor_fuzzer")) {
        WriteFile(package, ReadFile(input.path().string()));
        const std::string runs = dir / ("run" + std::to_string(++run));
        const auto before = loxtest::ListTree(dir.path(), {log_path, runs});
        Extract(package, runs + "/target");
        EXPECT_EQ(before, loxtest::ListTree(dir.path(), {log_path, runs})) << input.path();
    }
    EXPECT_GT(run, 0);
}

TEST_F(ExtractorTest, EmptyPathsFailBeforeAnythingIsSent) {
    ArchiveBuilder(ArchiveKind::Tar).AddFile("a", "1").WriteTo(package);
    QSignalSpy labels(Notify_Adapter::GetInstance(), &Notify_Adapter::sigUpdateDialogText);
    EXPECT_EQ(-1, Extract("", target));
    EXPECT_EQ(-1, Extract(package, ""));
    EXPECT_EQ(0, labels.count());
    EXPECT_TRUE(Logged("extractor(") && Logged("): Invalid Argument\n"));
    EXPECT_FALSE(PathExists(target));
}

TEST_F(ExtractorTest, MissingPackageFailsWithTheOpenErrorAndCountMinusOne) {
    EXPECT_EQ(-1, Extract(dir / "missing.qar", target));
    EXPECT_TRUE(Logged("archive_read_open_filename failed: '"));
    EXPECT_TRUE(Logged("Failed to calculate total file numbers, ret: -1"));
    EXPECT_FALSE(PathExists(target));
}

TEST_F(ExtractorTest, PackagesWithoutEntriesFailBeforeTheTargetIsMade) {
    ArchiveBuilder(ArchiveKind::TarGz).WriteTo(package);
    EXPECT_EQ(-1, Extract());
    WriteFile(dir / "zero.qar", "");
    EXPECT_EQ(-1, Extract(dir / "zero.qar", target));
    EXPECT_TRUE(Logged("Failed to calculate total file numbers, ret: 0"));
    EXPECT_FALSE(PathExists(target));
}

TEST_F(ExtractorTest, DirectoryOrTextGivenAsThePackageFails) {
    WriteFile(dir / "notes.txt", "These are plain notes, not an archive of any kind.\n");
    EXPECT_EQ(-1, Extract(outside, target));
    EXPECT_EQ(-1, Extract(dir / "notes.txt", target));
    EXPECT_TRUE(Logged("Failed to calculate total file numbers, ret: -1"));
    EXPECT_FALSE(PathExists(target));
}

TEST_F(ExtractorTest, TruncatedPackageFailsAtTheDamagedEntry) {
    const std::string big(200000, 'q');
    ArchiveBuilder(ArchiveKind::Tar).AddFile("small", "s").AddFile("big", big).WriteTo(package);
    const std::string whole = ReadFile(package);
    WriteFile(package, whole.substr(0, 100000));

    Extractor extractor;
    extractor.SetSource(package.c_str());
    extractor.SetTarget(target.c_str());
    extractor.SetKnownEntries(2);
    EXPECT_EQ(-1, extractor.Extract());
    EXPECT_EQ("s", ReadFile(target + "/small"));
    EXPECT_TRUE(Logged("archive_read_extract2 failed: '"));
    EXPECT_FALSE(Logged("'unknown error'"));
}

TEST_F(ExtractorTest, CorruptHeaderEndsTheExtraction) {
    ArchiveBuilder(ArchiveKind::Tar).AddFile("first", "1").AddFile("second", "2").WriteTo(package);
    std::string bytes = ReadFile(package);
    // The first entry takes a header block and a data block; garble the second header.
    bytes.replace(1024, 100, std::string(100, '\x7f'));
    WriteFile(package, bytes);

    EXPECT_EQ(-1, Extract(package, target, 2));
    EXPECT_EQ("1", ReadFile(target + "/first"));
    EXPECT_TRUE(Logged("archive_read_next_header failed: '"));
}

TEST_F(ExtractorTest, TargetThatIsAFileFails) {
    ArchiveBuilder(ArchiveKind::Tar).AddFile("a", "1").WriteTo(package);
    WriteFile(target, "a plain file");
    EXPECT_EQ(-1, Extract());
    EXPECT_TRUE(Logged("Failed to prepare target '" + target + "'"));
    EXPECT_EQ("a plain file", ReadFile(target));
}

int ExtractIntoLockedFolder(void *fixture_dir) {
    const std::string base = *static_cast<std::string *>(fixture_dir);
    Extractor extractor;
    extractor.SetSource((base + "/nimbrel.qar").c_str());
    extractor.SetTarget((base + "/locked/app").c_str());
    return extractor.Extract() == -1 && !PathExists(base + "/locked/app") ? 0 : 1;
}

TEST_F(ExtractorTest, TargetThatCannotBeCreatedFails) {
    ArchiveBuilder(ArchiveKind::Tar).AddFile("a", "1").WriteTo(package);
    loxtest::MakeDirs(dir / "locked");
    ::chmod(dir.path().c_str(), 0755);
    ::chmod(package.c_str(), 0644);
    std::string base = dir.path();
    const int status = loxtest::RunAsNobody(ExtractIntoLockedFolder, &base);
    if (status < 0)
        GTEST_SKIP() << "cannot drop to the user nobody here";
    EXPECT_EQ(0, status);
}

TEST_F(ExtractorTest, ListWalksEveryEntry) {
    ArchiveBuilder(ArchiveKind::Zip)
        .AddDir("d")
        .AddFile("d/a", "1")
        .AddFile("b", "2")
        .WriteTo(package);
    Extractor extractor;
    extractor.SetSource(package.c_str());
    extractor.SetTarget(target.c_str());

    ::testing::internal::CaptureStdout();
    const int listed = extractor.List();
    EXPECT_EQ("d/\nd/a\nb\n", ::testing::internal::GetCapturedStdout());
    EXPECT_EQ(0, listed);
    EXPECT_FALSE(PathExists(target));

    extractor.SetTarget("");
    EXPECT_EQ(-1, extractor.List());
    EXPECT_TRUE(Logged("): Invalid argument\n"));
}

TEST_F(ExtractorTest, CopyDataMovesTheCurrentEntrysBlocksToTheWriter) {
    const std::string content(50000, 'c');
    ArchiveBuilder(ArchiveKind::TarGz).AddFile("data", content).WriteTo(package);
    archive *reader = archive_read_new();
    archive *writer = archive_write_disk_new();
    archive_read_support_filter_all(reader);
    archive_read_support_format_all(reader);
    ASSERT_EQ(ARCHIVE_OK, archive_read_open_filename(reader, package.c_str(), 10240));
    archive_entry *entry = nullptr;
    ASSERT_EQ(ARCHIVE_OK, archive_read_next_header(reader, &entry));
    archive_entry_set_pathname(entry, (dir / "copied").c_str());
    ASSERT_EQ(ARCHIVE_OK, archive_write_header(writer, entry));

    Extractor extractor;
    EXPECT_EQ(0, extractor.copy_data(reader, writer));
    EXPECT_EQ(-1, extractor.copy_data(nullptr, writer));
    EXPECT_EQ(-1, extractor.copy_data(reader, nullptr));
    archive_write_finish_entry(writer);
    archive_read_free(reader);
    archive_write_free(writer);
    EXPECT_EQ(content, ReadFile(dir / "copied"));
}

}  // namespace

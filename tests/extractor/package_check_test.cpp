// The check of a package before it is unpacked: damage in any layer that carries a checksum,
// hostile headers, the space and inode budget, and a package that never delivers.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <random>
#include <set>
#include <string>

#include "extractor/extractor.h"
#include "extractor/package-check.h"
#include "tests/support/archive_builder.h"
#include "tests/support/child_process.h"
#include "tests/support/looping_image.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tree_listing.h"

namespace {

using loxtest::ArchiveBuilder;
using loxtest::ArchiveKind;
using loxtest::ReadFile;
using loxtest::WriteFile;
using CheckResult = PackageExtractor::CheckResult;

struct Format {
    const char *name;
    const char *compress;  // shell command from tar T to package P; null: a zip
};

// The tree without permission bits: zip keeps them in its central directory alone, which no
// checksum covers, so only names, types and data can be held to the package there.
loxtest::TreeListing WithoutModes(loxtest::TreeListing tree) {
    for (auto &[path, entry] : tree) {
        const size_t mode = entry.find(' ');
        if (entry.rfind("file ", 0) == 0 || entry.rfind("dir ", 0) == 0)
            entry.erase(mode, entry.find(' ', mode + 1) - mode);
    }
    return tree;
}

const Format kFormats[] = {
    {"gzip", "gzip -c T > P"},
    {"gzip_members_and_padding",
     "head -c 1500 T | gzip -c > P; tail -c +1501 T | gzip -c >> P; head -c 300 /dev/zero >> P"},
    {"gzip_in_gzip", "gzip -c T | gzip -c > P"},
    {"bzip2", "bzip2 -c T > P"},
    {"xz", "xz -c T > P"},
    {"zstd", "zstd -q -c --check T > P"},
    {"lz4", "lz4 -q -c -BX T > P"},  // content and block checksums
    {"zip", nullptr},
};

class PackageCheckTest : public ::testing::Test {
protected:
    // known_entries as after a check that passed: the extraction alone meets the package.
    Extractor For(const std::string &to, int known_entries = 0) {
        Extractor extractor;
        extractor.SetSource(package);
        extractor.SetTarget(to);
        extractor.SetKnownEntries(known_entries);
        return extractor;
    }
    CheckResult Check(const std::string &to, const PackageExtractor::Budget &budget = {}) {
        Extractor extractor = For(to);
        extractor.SetBudget(budget);
        CheckResult result;
        extractor.Check(result);
        return result;
    }
    // The same check in this process: a sweep of hundreds of checks need not fork for each.
    CheckResult CheckHere(const std::string &to) {
        CheckResult result;
        const int fd = ::open(package.c_str(), O_RDONLY | O_CLOEXEC);
        CheckPackage(
            fd, to.c_str(), PackageExtractor::Budget(), [] {}, nullptr, result);
        ::close(fd);
        return result;
    }
    int Extract(const std::string &to) { return For(to, 3).Extract(); }
    void WritePackage(const Format &format) {
        std::mt19937 random(27);
        std::string data(1800, ' ');
        for (char &byte : data) byte = static_cast<char>('a' + random() % 20);
        ArchiveBuilder builder(format.compress ? ArchiveKind::Tar : ArchiveKind::Zip);
        builder.AddDir("lib")
            .AddFile("lib/data", data)
            .AddFile("run", "#!/bin/sh\n", 0755)
            .AddSymlink("link", "lib/data");
        builder.WriteTo(format.compress ? dir / "T" : package);
        if (format.compress) {
            ASSERT_EQ(0, loxtest::RunShell("cd " + dir.path() + " && " + format.compress));
        }
    }

    loxtest::TempDir dir;
    const std::string package = dir / "P";
};

// Every single-bit flip (or a stride of them) is refused by the check and by an extraction
// without one, or changes nothing that is unpacked: none installs a damaged file.
TEST_F(PackageCheckTest, EveryFlippedBitIsRefusedOrUnpacksTheSameTree) {
    for (const Format &format : kFormats) {
        SCOPED_TRACE(format.name);
        WritePackage(format);
        ASSERT_EQ(CheckResult::Fits, Check(dir / "whole").verdict);
        ASSERT_EQ(0, Extract(dir / "whole"));
        const auto whole = loxtest::ListTree(dir / "whole");
        const std::string bytes = ReadFile(package);
        const size_t bits = bytes.size() * 8, stride = bits / 700 + 1;
        int refused = 0, flips = 0, changed_modes = 0;
        for (size_t bit = 0; bit < bits; bit += stride, ++flips) {
            std::string flipped = bytes;
            flipped[bit / 8] ^= static_cast<char>(1 << bit % 8);
            WriteFile(package, flipped);
            const std::string to = dir / ("flip" + std::to_string(bit));
            if (CheckHere(to).verdict != CheckResult::Fits) {
                ++refused;
                // A first install, unpacked with no check before, refuses it as well (every
                // third flip: an extraction costs more than a check).
                if (refused % 3 == 0) {
                    EXPECT_EQ(-1, For(to, 0).Extract()) << "bit " << bit;
                }
                continue;
            }
            EXPECT_EQ(0, Extract(to)) << "bit " << bit;
            const auto tree = loxtest::ListTree(to);
            if (format.compress) {
                EXPECT_EQ(whole, tree) << "bit " << bit;
            } else {
                EXPECT_EQ(WithoutModes(whole), WithoutModes(tree)) << "bit " << bit;
                changed_modes += tree != whole;
            }
            loxtest::RunShell("rm -rf " + to);
        }
        std::printf("%s: %d of %d flips refused by the check, %d changed only modes\n", format.name,
                    refused, flips, changed_modes);
    }
}

// The extraction verifies the trailers too: a package changed after its check fails.
TEST_F(PackageCheckTest, ExtractionFailsOnAWrongTrailer) {
    for (const Format &format : {kFormats[0], kFormats[6]}) {
        SCOPED_TRACE(format.name);
        WritePackage(format);
        std::string bytes = ReadFile(package);
        bytes[bytes.size() - 6] ^= 1;  // the gzip CRC-32, the lz4 content checksum
        WriteFile(package, bytes);
        EXPECT_EQ(-1, Extract(dir / format.name));
    }
}

// A hostile entry is refused at its own header, and the sums stop at the budget.
TEST_F(PackageCheckTest, HostileHeadersAndTheBudgetEndTheCheckWhereTheyStand) {
    struct Case {
        const char *name;
        std::function<void(ArchiveBuilder &)> add;  // after a first file
        PackageExtractor::Budget budget;
        CheckResult::Verdict verdict;
        long long entries;   // counted when the check ended
        int extraction = 1;  // what the extraction alone returns (0 or -1); 1: not tried
    };
    using B = ArchiveBuilder;
    const std::string big(4097, 'b');  // two blocks of 4096, beside one for "first"
    // clang-format off
    const Case cases[] = {
        {"dot_dot", [](B &b) { b.AddFile("../x", "x"); }, {}, CheckResult::Damaged, 1, -1},
        {"link_target_dot_dot", [](B &b) { b.AddHardLink("h", "a/../../x"); }, {}, CheckResult::Damaged, 1, -1},
        {"through_a_link", [](B &b) { b.AddSymlink("s", "/tmp").AddFile("s/x", "x"); }, {}, CheckResult::Damaged, 2, -1},
        {"hard_link_to_a_link", [](B &b) { b.AddSymlink("s", "/etc").AddHardLink("h", "s"); }, {}, CheckResult::Damaged, 2, -1},
        {"hard_link_absolute", [](B &b) { b.AddHardLink("h", "/etc/passwd"); }, {}, CheckResult::Damaged, 1, -1},
        {"hard_link_to_a_later_entry", [](B &b) { b.AddHardLink("h", "l").AddFile("l", "l"); }, {}, CheckResult::Damaged, 1, -1},
        {"hard_link_to_a_directory", [](B &b) { b.AddDir("d").AddHardLink("h", "./d"); }, {}, CheckResult::Damaged, 2, -1},
        {"fifo", [](B &b) { b.AddFifo("p"); }, {}, CheckResult::Damaged, 1, -1},
        {"below_a_file", [](B &b) { b.AddFile("first/x", "x"); }, {}, CheckResult::Damaged, 1, -1},
        {"hard_link_to_a_file_replaced_by_a_directory", [](B &b) { b.AddDir("first").AddHardLink("h", "first"); }, {}, CheckResult::Damaged, 2, -1},
        {"hard_link_to_itself", [](B &b) { b.AddHardLink("first", "first"); }, {}, CheckResult::Damaged, 1, -1},
        {"hard_link_to_an_earlier_file", [](B &b) { b.AddHardLink("h", "/first").AddHardLink("i", "./h"); }, {}, CheckResult::Fits, 3, 0},
        {"no_space", [&](B &b) { b.AddFile("big", big); }, {4096, 3 * 4096 - 1}, CheckResult::NoSpace, 2},
        {"no_inodes", [](B &b) { b.AddDir("d").AddDir("e"); }, {4096, 1 << 20, 2}, CheckResult::NoInodes, 3},
        {"inside_the_target", [](B &) {}, {}, CheckResult::Damaged, 0},
    };
    // clang-format on
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        ArchiveBuilder builder(ArchiveKind::TarGz);
        c.add(builder.AddFile("first", "1"));
        builder.WriteTo(package);
        const bool inside = std::string(c.name) == "inside_the_target";
        const CheckResult result = Check(inside ? dir.path() : dir / "app", c.budget);
        EXPECT_EQ(c.verdict, result.verdict) << result.reason;
        EXPECT_EQ(c.entries, result.entries);
        EXPECT_EQ(c.verdict == CheckResult::NoSpace ? 3 * 4096 : result.bytes, result.bytes);
        if (c.extraction != 1) {
            EXPECT_EQ(c.extraction, Extract(dir / c.name));
        }
    }
}

// Packages that make no progress: a pipe that stops after a gzip header, and an image on which
// libarchive loops. The check and the reading of a first install give up after the limit.
TEST_F(PackageCheckTest, PackageThatMakesNoProgressIsRefused) {
    WriteFile(package, loxtest::LoopingIsoImage());
    int ends[2];
    ASSERT_EQ(0, ::pipe2(ends, O_CLOEXEC));
    ASSERT_EQ(4, ::write(ends[1], "\x1f\x8b\x08\x00", 4));  // a gzip header, then nothing
    struct Case {
        const char *name;
        int fd;  // else the package's path
        bool first_install;
    };
    for (const Case &c :
         {Case{"pipe, check", ends[0], false}, Case{"looping image, check", -1, false},
          Case{"looping image, first install", -1, true}}) {
        SCOPED_TRACE(c.name);
        Extractor extractor = For(dir / "app");
        if (c.fd >= 0)
            extractor.SetPackage(c.fd);
        extractor.SetStallLimit(200);
        CheckResult result;
        EXPECT_EQ(-1, c.first_install ? extractor.Extract() : extractor.Check(result));
        if (c.first_install)
            result = extractor.GetTotals().check;
        EXPECT_EQ(CheckResult::Stalled, result.verdict) << result.reason;
    }
    ::close(ends[0]);
    ::close(ends[1]);
}

}  // namespace

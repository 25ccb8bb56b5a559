// Writes the seed corpora of the fuzz targets into DIR/<target>/, from the cases of the test
// suite and archives of the test suite's builder. Run by hand when the seeds change:
//   build-fuzz/fuzz/make_seeds fuzz/corpus
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/support/archive_builder.h"
#include "tests/support/fake_install.h"
#include "tests/support/temp_dir.h"

namespace {

using loxtest::ArchiveBuilder;
using loxtest::ArchiveKind;
using namespace std::string_literals;

std::string out;

void Seed(const std::string &target, const std::string &name, const std::string &bytes) {
    loxtest::MakeDirs(out + "/" + target);
    loxtest::WriteFile(out + "/" + target + "/" + name, bytes);
}

const std::vector<std::string> kPairFiles = {
    "pid=123\n \tlevel \t= \t7 \t# seven\n# a comment\n   # indented\n\nhash=a#b\nonly_key#x\n=e\n",
    "empty=\"\"\ntwo=\"two words\"\nsingle='say \"hi\"'\ndouble=\"it's\"   # c\nutf8=\xC3\xA9t\n",
    "a=1\r\nb = \"x y\" \r\n# c\r\n\r\nlast=end",
    "key=\"a\tb\"\nkey='x'y'\n",
    "pid=12\0garbage\n\0hidden=1\nke\0y=2\n"s,
    "service_debug=7\nextractor_debug=x\nfile_op_debug=-1\n",
    "a=" + std::string(8189, 'x') + "b=2\n",
};

void PairSeeds() {
    for (size_t i = 0; i < kPairFiles.size(); ++i) {
        Seed("config_read_fuzzer", "file" + std::to_string(i), kPairFiles[i]);
        const std::string first_line = kPairFiles[i].substr(0, kPairFiles[i].find('\n'));
        Seed("config_parse_fuzzer", "line" + std::to_string(i), first_line);
    }
    const char *const pids[] = {"pid=1234\n",    "pid = \"42\" # client\n",
                                "pid=-7\n",      "pid=99999999999999999999\n",
                                "pid=+0012\r\n", "pid=\n"};
    for (size_t i = 0; i < sizeof pids / sizeof pids[0]; ++i)
        Seed("pid_file_fuzzer", "pid" + std::to_string(i), pids[i]);
}

void RecordSeeds() {
    using loxtest::FakeInstall;
    Seed("version_info_fuzzer", "upgrade",
         FakeInstall::InfoText("121") + '\0' + FakeInstall::InfoText("120"));
    Seed("version_info_fuzzer", "letters",
         FakeInstall::InfoText("12abc") + '\0' + "[Version]\nbuild_version=x1\n");
    Seed("version_info_fuzzer", "no_user",
         "[Other]\nbuild_version=5\n[Version]\nbuild_version=\" 7\"\n");
    const char *const steps[] = {"backup", "extract", "cleanup", "bogus"};
    const char *const backups[] = {"-1", "0", "3", "10"};
    for (int layout = 0; layout < 32; layout += 5)
        for (const char *step : steps)
            Seed("replace_record_fuzzer", std::string(step) + std::to_string(layout),
                 std::string(1, static_cast<char>(layout)) + "step=" + step +
                     "\nbackup=" + backups[layout % 4] + "\n");
}

void InstalledSeeds() {
    const char *const records[] = {
        "loxen-installed 1\nf 42 0 INFO\nd 0 111 bin\nf 9 111 bin/cloud-loxen-ui\nend 3\n",
        "loxen-installed 1\nl 0 0 lib/libx.so libx.so.1\nf 8 100 a%20b%25c\nend 2\n",
        "loxen-installed 1\nf 1 0 ../outside\nend 1\n",
        "loxen-installed 1\nd 0 111 x\nend 2\n",
    };
    for (size_t i = 0; i < sizeof records / sizeof records[0]; ++i)
        Seed("installed_record_fuzzer", "record" + std::to_string(i), records[i]);
}

void TextSeeds() {
    const char *const texts[] = {"a/b/c", "e\xCC\x81 \xC3\xA9", "\xF0\x9F\x98\x80/\xED\xA0\x80",
                                 "\xC3\x28\x41\x42", "ABC abc \xE2\x82\xAC\xE2\x82"};
    for (size_t i = 0; i < sizeof texts / sizeof texts[0]; ++i)
        Seed("ustring_fuzzer", "text" + std::to_string(i), texts[i]);
}

void ArchiveSeeds() {
    loxtest::TempDir dir;
    auto keep = [&dir](const std::string &name, const ArchiveBuilder &archive) {
        archive.WriteTo(dir / name);
        Seed("extractor_fuzzer", name, loxtest::ReadFile(dir / name));
    };
    ArchiveBuilder client(ArchiveKind::TarGz);
    client.AddDir("bin")
        .AddFile("bin/cloud-loxen-ui", "client\n", 0755)
        .AddFile("INFO", "[Version]\n");
    keep("client.tgz", client);
    keep("links.tar", ArchiveBuilder(ArchiveKind::Tar)
                          .AddFile("a", "x")
                          .AddHardLink("b", "a")
                          .AddSymlink("up", "..")
                          .AddFile("up/escaped", "y"));
    keep("hostile.tar", ArchiveBuilder(ArchiveKind::Tar).AddFile("../x", "x").AddFile("/abs", "y"));
    keep("files.zip", ArchiveBuilder(ArchiveKind::Zip).AddDir("d").AddFile("d/f", "zip"));
    keep("empty.tar", ArchiveBuilder(ArchiveKind::Tar));
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s DIR\n", argv[0]);
        return 2;
    }
    out = argv[1];
    PairSeeds();
    RecordSeeds();
    InstalledSeeds();
    TextSeeds();
    ArchiveSeeds();
    return 0;
}

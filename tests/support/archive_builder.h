#pragma once

#include <string>
#include <vector>

namespace loxtest {

enum class ArchiveKind { Tar, TarGz, Zip };

// Builds a small archive in a test with libarchive's writer. Paths and link targets are
// stored exactly as given, so hostile names ("../x", "/abs/x") can be written too.
//
//   ArchiveBuilder(ArchiveKind::TarGz).AddDir("bin").AddFile("bin/run", "#!/bin/sh\n", 0755)
//       .AddSymlink("run", "bin/run").WriteTo(dir / "package.tgz");
class ArchiveBuilder {
public:
    explicit ArchiveBuilder(ArchiveKind kind);

    ArchiveBuilder &AddFile(const std::string &path, const std::string &content, int mode = 0644);
    ArchiveBuilder &AddDir(const std::string &path, int mode = 0755);
    ArchiveBuilder &AddSymlink(const std::string &path, const std::string &link_target);
    // A hard link to an earlier entry, named as that entry is stored; tar only.
    ArchiveBuilder &AddHardLink(const std::string &path, const std::string &link_target);
    ArchiveBuilder &AddFifo(const std::string &path);

    // Writes the archive to archive_path; fails the current test on any error.
    void WriteTo(const std::string &archive_path) const;

private:
    enum class Type { File, Dir, Symlink, HardLink, Fifo };
    struct Entry {
        Type type;
        std::string path;
        std::string link_target;
        std::string content;
        int mode;
    };

    ArchiveKind kind_;
    std::vector<Entry> entries_;
};

}  // namespace loxtest

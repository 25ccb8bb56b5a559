#include "tests/support/archive_builder.h"

#include <archive.h>
#include <archive_entry.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>

namespace loxtest {

namespace {

using WriteHandle = std::unique_ptr<archive, int (*)(archive *)>;
using EntryHandle = std::unique_ptr<archive_entry, void (*)(archive_entry *)>;

bool SetKind(archive *writer, ArchiveKind kind) {
    if (kind == ArchiveKind::Zip)
        return archive_write_set_format_zip(writer) == ARCHIVE_OK;
    if (archive_write_set_format_pax_restricted(writer) != ARCHIVE_OK)
        return false;
    return kind == ArchiveKind::Tar || archive_write_add_filter_gzip(writer) == ARCHIVE_OK;
}

const char *WriterError(archive *writer) {
    const char *text = archive_error_string(writer);
    return text ? text : "unknown error";
}

}  // namespace

ArchiveBuilder::ArchiveBuilder(ArchiveKind kind) : kind_(kind) {}

ArchiveBuilder &ArchiveBuilder::AddFile(const std::string &path, const std::string &content,
                                        int mode) {
    entries_.push_back({Type::File, path, "", content, mode});
    return *this;
}

ArchiveBuilder &ArchiveBuilder::AddDir(const std::string &path, int mode) {
    entries_.push_back({Type::Dir, path, "", "", mode});
    return *this;
}

ArchiveBuilder &ArchiveBuilder::AddSymlink(const std::string &path,
                                           const std::string &link_target) {
    entries_.push_back({Type::Symlink, path, link_target, "", 0777});
    return *this;
}

ArchiveBuilder &ArchiveBuilder::AddHardLink(const std::string &path,
                                            const std::string &link_target) {
    if (kind_ == ArchiveKind::Zip)
        ADD_FAILURE() << "zip archives hold no hard links";
    entries_.push_back({Type::HardLink, path, link_target, "", 0644});
    return *this;
}

ArchiveBuilder &ArchiveBuilder::AddFifo(const std::string &path) {
    entries_.push_back({Type::Fifo, path, "", "", 0644});
    return *this;
}

void ArchiveBuilder::WriteTo(const std::string &archive_path) const {
    WriteHandle writer(archive_write_new(), archive_write_free);
    ASSERT_TRUE(writer && SetKind(writer.get(), kind_)) << "cannot set up the archive writer";
    ASSERT_EQ(ARCHIVE_OK, archive_write_open_filename(writer.get(), archive_path.c_str()))
        << archive_path << ": " << WriterError(writer.get());

    for (const Entry &item : entries_) {
        EntryHandle entry(archive_entry_new(), archive_entry_free);
        archive_entry_set_pathname(entry.get(), item.path.c_str());
        archive_entry_set_mtime(entry.get(), 1700000000, 0);
        archive_entry_set_size(entry.get(), static_cast<la_int64_t>(item.content.size()));
        switch (item.type) {
            case Type::File:
                archive_entry_set_filetype(entry.get(), AE_IFREG);
                break;
            case Type::Dir:
                archive_entry_set_filetype(entry.get(), AE_IFDIR);
                break;
            case Type::Symlink:
                archive_entry_set_filetype(entry.get(), AE_IFLNK);
                archive_entry_set_symlink(entry.get(), item.link_target.c_str());
                break;
            case Type::HardLink:
                archive_entry_set_filetype(entry.get(), AE_IFREG);
                archive_entry_set_hardlink(entry.get(), item.link_target.c_str());
                break;
            case Type::Fifo:
                archive_entry_set_filetype(entry.get(), AE_IFIFO);
                break;
        }
        archive_entry_set_perm(entry.get(), static_cast<mode_t>(item.mode));

        ASSERT_EQ(ARCHIVE_OK, archive_write_header(writer.get(), entry.get()))
            << item.path << ": " << WriterError(writer.get());
        if (!item.content.empty()) {
            la_ssize_t written =
                archive_write_data(writer.get(), item.content.data(), item.content.size());
            ASSERT_EQ(static_cast<la_ssize_t>(item.content.size()), written)
                << item.path << ": " << WriterError(writer.get());
        }
    }
    ASSERT_EQ(ARCHIVE_OK, archive_write_close(writer.get())) << WriterError(writer.get());
}

}  // namespace loxtest

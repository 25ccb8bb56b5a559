#include "extractor/entry-rules.h"

#include <archive_entry.h>

#include <functional>
#include <string_view>

bool NormalizeEntryPath(const char *path, std::string &normal) {
    normal.clear();
    const std::string text(path);
    for (size_t start = 0; start <= text.size();) {
        size_t end = text.find('/', start);
        if (end == std::string::npos)
            end = text.size();
        const std::string part = text.substr(start, end - start);
        if (part == "..")
            return false;
        if (!part.empty() && part != ".")
            normal += (normal.empty() ? "" : "/") + part;
        start = end + 1;
    }
    return true;
}

namespace {

// The key of the first size bytes of path.
size_t Key(const std::string &path, size_t size) {
    return std::hash<std::string_view>()(std::string_view(path).substr(0, size));
}

}  // namespace

std::string EntryRules::MadeOnWay(const std::string &path, bool whole, Kind &kind) const {
    for (size_t end = path.find('/');; end = path.find('/', end + 1)) {
        if (end == std::string::npos) {
            if (!whole)
                return std::string();
            end = path.size();
        }
        const auto found = made_.find(Key(path, end));
        if (found != made_.end()) {
            kind = found->second;
            return path.substr(0, end);
        }
        if (end == path.size())
            return std::string();
    }
}

// The writer links to the target below the root, so it must be a file already there; a link to
// its own path fails as well, since the writer removes the path first.
std::string EntryRules::HardLinkRefusal(const std::string &path, const char *raw_target) const {
    std::string target;
    if (!NormalizeEntryPath(raw_target, target))
        return "a '..' in its hard link's target";
    Kind kind = Kind::File;
    const std::string made = MadeOnWay(target, true, kind);
    if (kind == Kind::Symlink)
        return "a hard link to or through the symbolic link '" + made + "'";
    if (made != target)
        return std::string("a hard link to '") + raw_target +
               "', which is no file of an earlier entry";
    if (target == path)
        return "a hard link to itself";
    return std::string();
}

void EntryRules::Remember(const std::string &path, archive_entry *entry) {
    const bool hard_link = archive_entry_hardlink(entry) != nullptr;
    const auto type = archive_entry_filetype(entry);
    if (!hard_link && type == AE_IFDIR)
        made_.erase(Key(path, path.size()));
    else
        made_[Key(path, path.size())] = !hard_link && type == AE_IFLNK ? Kind::Symlink : Kind::File;
}

std::string EntryRules::Refusal(archive_entry *entry) {
    const char *raw_path = archive_entry_pathname(entry);
    std::string path;
    if (!raw_path || !*raw_path)
        return "no path";
    if (!NormalizeEntryPath(raw_path, path))
        return "a '..' in its path";
    // A client is files, folders and links; anything else is a header gone wrong (a zip keeps
    // the type only in its central directory, under no checksum).
    // A hard link's own type says nothing (tar leaves it 0): its target is held to the rules.
    const auto type = archive_entry_filetype(entry);
    if (!archive_entry_hardlink(entry) && type != AE_IFREG && type != AE_IFDIR && type != AE_IFLNK)
        return "neither a file, a folder nor a symbolic link";
    Kind kind = Kind::File;
    const std::string made = MadeOnWay(path, false, kind);
    if (!made.empty())
        return (kind == Kind::Symlink ? "written through the symbolic link '"
                                      : "written below the file '") +
               made + "' of an earlier entry";
    const char *raw_target = archive_entry_hardlink(entry);
    if (raw_target) {
        const std::string refusal = HardLinkRefusal(path, raw_target);
        if (!refusal.empty())
            return refusal;
    }
    Remember(path, entry);
    return std::string();
}

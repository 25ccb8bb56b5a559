#include "extractor/entry-rules.h"

#include <archive_entry.h>

namespace {

// path without empty and "." components, as the writer resolves it below the target; false
// when it has a ".." component.
bool Normalize(const char *path, std::string &normal) {
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

}  // namespace

std::string EntryRules::MadeOnWay(const std::string &path, bool whole, Kind &kind) const {
    for (size_t slash = path.find('/'); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const auto found = made_.find(path.substr(0, slash));
        if (found != made_.end()) {
            kind = found->second;
            return found->first;
        }
    }
    const auto found = whole ? made_.find(path) : made_.end();
    if (found == made_.end())
        return std::string();
    kind = found->second;
    return found->first;
}

// The writer links to the target below the root, so it must be a file already there; a link to
// its own path fails as well, since the writer removes the path first.
std::string EntryRules::HardLinkRefusal(const std::string &path, const char *raw_target) const {
    std::string target;
    if (!Normalize(raw_target, target))
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
        made_.erase(path);
    else
        made_[path] = !hard_link && type == AE_IFLNK ? Kind::Symlink : Kind::File;
}

std::string EntryRules::Refusal(archive_entry *entry) {
    const char *raw_path = archive_entry_pathname(entry);
    std::string path;
    if (!raw_path || !*raw_path)
        return "no path";
    if (!Normalize(raw_path, path))
        return "a '..' in its path";
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

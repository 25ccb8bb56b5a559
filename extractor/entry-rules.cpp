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

std::string EntryRules::LinkOnWay(const std::string &path, bool whole) const {
    for (size_t slash = path.find('/'); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        if (symlinks_.count(path.substr(0, slash)))
            return path.substr(0, slash);
    }
    return whole && symlinks_.count(path) ? path : std::string();
}

std::string EntryRules::Refusal(archive_entry *entry) {
    const char *raw_path = archive_entry_pathname(entry);
    std::string path;
    if (!raw_path || !*raw_path)
        return "no path";
    if (!Normalize(raw_path, path))
        return "a '..' in its path";
    std::string link = LinkOnWay(path, false);
    if (!link.empty())
        return "written through the symbolic link '" + link + "' of an earlier entry";
    const char *raw_target = archive_entry_hardlink(entry);
    if (raw_target) {
        std::string link_target;
        if (!Normalize(raw_target, link_target))
            return "a '..' in its hard link's target";
        link = LinkOnWay(link_target, true);
        if (!link.empty())
            return "a hard link to or through the symbolic link '" + link + "'";
    }
    symlinks_.erase(path);
    if (!raw_target && archive_entry_filetype(entry) == AE_IFLNK)
        symlinks_.insert(path);
    return std::string();
}

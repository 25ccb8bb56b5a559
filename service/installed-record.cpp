// The record is text: a first line naming the format, one line per entry
//   TYPE SIZE RUN-BITS PATH [TARGET]
// with the run bits in octal and the path and target escaped (%XX for '%', blanks and control
// bytes), and a last line "end COUNT", so that a record cut short is no record.
#include "service/installed-record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "common/file-op.h"
#include "common/log.h"
#include "service/atomic-file.h"

namespace {

const char kFormatLine[] = "loxen-installed 1";

bool NeedsEscape(unsigned char byte) {
    return byte == '%' || byte <= ' ' || byte == 0x7f;
}

std::string Escaped(const std::string &text) {
    std::string out;
    for (unsigned char byte : text) {
        if (!NeedsEscape(byte)) {
            out += static_cast<char>(byte);
            continue;
        }
        char hex[4];
        std::snprintf(hex, sizeof hex, "%%%02X", byte);
        out += hex;
    }
    return out;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// False for a bad escape, a byte that should have been escaped, or an empty text.
bool Unescape(std::string_view text, std::string &out) {
    out.clear();
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        if (byte != '%') {
            if (NeedsEscape(byte))
                return false;
            out += text[i];
            continue;
        }
        const int high = i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
        if (low < 0)
            return false;
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return !out.empty();
}

// Relative, with no empty, "." or ".." part: nothing outside the copy can be named.
bool IsInsidePath(std::string_view path) {
    for (;;) {
        const size_t slash = path.find('/');
        const std::string_view part = path.substr(0, slash);
        if (part.empty() || part == "." || part == "..")
            return false;
        if (slash == std::string_view::npos)
            return true;
        path.remove_prefix(slash + 1);
    }
}

std::string EntryLine(const std::string &path, const InstalledEntry &entry) {
    char head[64];
    std::snprintf(head, sizeof head, "%c %lld %o ", entry.type, entry.size, entry.run_bits);
    std::string line = head + Escaped(path);
    if (entry.type == InstalledEntry::Link)
        line += " " + Escaped(entry.target);
    return line + "\n";
}

// The fields of line between single blanks; their count, 0 for an empty field or more than max.
size_t SplitFields(std::string_view line, std::string_view *fields, size_t max) {
    for (size_t count = 0; count < max;) {
        const size_t blank = line.find(' ');
        fields[count] = line.substr(0, blank);
        if (fields[count++].empty())
            return 0;
        if (blank == std::string_view::npos)
            return count;
        line.remove_prefix(blank + 1);
    }
    return 0;
}

template <typename Number>
bool ParseNumber(std::string_view text, int base, Number &value) {
    const char *end = text.data() + text.size();
    const auto parsed = std::from_chars(text.data(), end, value, base);
    return parsed.ec == std::errc() && parsed.ptr == end;
}

// The type's own rules: sizes of files only, run bits of no link, a target of links only.
bool IsConsistent(const InstalledEntry &entry, size_t fields) {
    switch (entry.type) {
        case InstalledEntry::File:
            return fields == 4;
        case InstalledEntry::Dir:
            return fields == 4 && entry.size == 0;
        case InstalledEntry::Link:
            return fields == 5 && entry.size == 0 && entry.run_bits == 0;
    }
    return false;
}

// Reads one record after another, each path into the same buffer: a check of the copy then
// allocates nothing per entry.
class RecordParser {
public:
    explicit RecordParser(const InstalledVisitor &visit) : visit_(visit) {}

    bool Parse(std::string_view text) {
        bool first = true;
        while (!text.empty()) {
            const size_t end = text.find('\n');
            if (end == std::string_view::npos)
                return false;
            const std::string_view line = text.substr(0, end);
            text.remove_prefix(end + 1);
            if (first) {
                if (line != kFormatLine)
                    return false;
                first = false;
            } else if (line.substr(0, 4) == "end ") {
                return text.empty() && line.substr(4) == std::to_string(count_);
            } else if (!Entry(line)) {
                return false;
            }
        }
        return false;
    }

private:
    bool Entry(std::string_view line) {
        std::string_view field[5];
        const size_t count = SplitFields(line, field, 5);
        if (count < 4 || field[0].size() != 1 || !ParseNumber(field[1], 10, entry_.size) ||
            entry_.size < 0 || field[2].size() > 3 || !ParseNumber(field[2], 8, entry_.run_bits) ||
            (entry_.run_bits & ~0111u) != 0 || !Unescape(field[3], path_) || !IsInsidePath(path_))
            return false;
        entry_.type = static_cast<InstalledEntry::Type>(field[0][0]);
        entry_.target.clear();
        if (!IsConsistent(entry_, count) ||
            (entry_.type == InstalledEntry::Link && !Unescape(field[4], entry_.target)))
            return false;
        // Written in order, each path once: anything else was not written by us.
        if (count_ > 0 && !(previous_ < path_))
            return false;
        visit_(path_, entry_);
        ++count_;
        previous_.swap(path_);
        return true;
    }

    const InstalledVisitor &visit_;
    std::string path_, previous_;
    InstalledEntry entry_;
    size_t count_ = 0;
};

// The whole file, when it is a regular file within the size limit.
bool ReadSmallFile(const ustring &path, std::string &text) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st;
    bool ok =
        ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= kMaxInstalledRecordBytes;
    if (ok) {
        text.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (ok && done < text.size()) {
            const ssize_t got = ::read(fd, &text[done], text.size() - done);
            if (got < 0 && errno == EINTR)
                continue;
            ok = got > 0;
            done += ok ? static_cast<size_t>(got) : 0;
        }
    }
    ::close(fd);
    return ok;
}

}  // namespace

ustring InstalledRecordPath(const ustring &app_path) {
    return app_path + ".installed";
}

long long InstalledEntryBytes(const std::string &path, const InstalledEntry &entry) {
    return static_cast<long long>(EntryLine(path, entry).size());
}

int WriteInstalledRecord(const ustring &app_path, const InstalledList &entries) {
    std::string text = std::string(kFormatLine) + "\n";
    for (const auto &item : entries) text += EntryLine(item.first, item.second);
    text += "end " + std::to_string(entries.size()) + "\n";
    const ustring path = InstalledRecordPath(app_path);
    if (WriteFileAtomically(path, text) == 0)
        return 0;
    LOX_LOG(ERROR, "service_debug", "installed-record", "failed to write '%s': %s", path.c_str(),
            std::strerror(errno));
    return -1;
}

bool VisitInstalledRecord(const ustring &app_path, const InstalledVisitor &visit) {
    std::string text;
    return ReadSmallFile(InstalledRecordPath(app_path), text) && RecordParser(visit).Parse(text);
}

bool ReadInstalledRecord(const ustring &app_path, InstalledList &entries) {
    entries.clear();
    const auto keep = [&entries](const std::string &path, const InstalledEntry &entry) {
        entries.emplace_hint(entries.end(), path, entry);
    };
    if (VisitInstalledRecord(app_path, keep))
        return true;
    entries.clear();
    return false;
}

int RemoveInstalledRecord(const ustring &app_path) {
    const ustring path = InstalledRecordPath(app_path);
    ::unlink(AtomicTemporaryPath(path).c_str());
    // Whatever took the name (a folder, a link) goes: a record must never outlive its copy.
    if (IsFileExist(path, false) && FSRemove(path, false) != 0) {
        const int error = errno;
        LOX_LOG(ERROR, "service_debug", "installed-record", "failed to remove '%s': %s",
                path.c_str(), std::strerror(error));
        errno = error;
        return -1;
    }
    FlushDirectory(FSParentPath(path));
    return 0;
}

void RemoveStrayInstalledRecord(const ustring &app_path) {
    const ustring stray = AtomicTemporaryPath(InstalledRecordPath(app_path));
    if (!IsFileExist(stray, false))
        return;
    if (::unlink(stray.c_str()) != 0)
        LOX_LOG(WARNING, "service_debug", "installed-record", "failed to remove '%s': %s",
                stray.c_str(), std::strerror(errno));
}

// The record is text: a first line naming the format, one line per entry
//   TYPE SIZE RUN-BITS PATH [TARGET]
// with the run bits in octal and the path and target escaped (%XX for '%', blanks and control
// bytes), and a last line "end COUNT", so that a record cut short is no record.
#include "service/installed-record.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sstream>

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
bool Unescape(const std::string &text, std::string &out) {
    out.clear();
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
bool IsInsidePath(const std::string &path) {
    if (path.empty() || path.front() == '/' || path.back() == '/')
        return false;
    std::istringstream parts(path);
    for (std::string part; std::getline(parts, part, '/');)
        if (part.empty() || part == "." || part == "..")
            return false;
    return true;
}

std::string EntryLine(const std::string &path, const InstalledEntry &entry) {
    char head[64];
    std::snprintf(head, sizeof head, "%c %lld %o ", entry.type, entry.size, entry.run_bits);
    std::string line = head + Escaped(path);
    if (entry.type == InstalledEntry::Link)
        line += " " + Escaped(entry.target);
    return line + "\n";
}

bool ParseEntry(const std::string &line, InstalledList &entries) {
    std::istringstream fields(line);
    char type = 0;
    long long size = -1;
    std::string bits, path_text, target_text, path, rest;
    fields >> type >> size >> bits >> path_text;
    if (!fields || size < 0 || bits.empty() || bits.size() > 3 ||
        bits.find_first_not_of("01234567") != std::string::npos || !Unescape(path_text, path) ||
        !IsInsidePath(path))
        return false;
    InstalledEntry entry;
    entry.type = static_cast<InstalledEntry::Type>(type);
    entry.size = size;
    entry.run_bits = static_cast<unsigned>(std::stoul(bits, nullptr, 8));
    if (entry.run_bits & ~0111u)
        return false;
    if (entry.type == InstalledEntry::Link) {
        if (!(fields >> target_text) || !Unescape(target_text, entry.target) || size != 0 ||
            entry.run_bits != 0)
            return false;
    } else if (entry.type == InstalledEntry::Dir) {
        if (size != 0)
            return false;
    } else if (entry.type != InstalledEntry::File) {
        return false;
    }
    if (fields >> rest)
        return false;
    return entries.emplace(path, entry).second;
}

bool ParseRecord(const std::string &text, InstalledList &entries) {
    std::istringstream lines(text);
    std::string line;
    if (!std::getline(lines, line) || line != kFormatLine)
        return false;
    while (std::getline(lines, line)) {
        if (line.rfind("end ", 0) == 0) {
            std::string trailing;
            return line == "end " + std::to_string(entries.size()) &&
                   !std::getline(lines, trailing);
        }
        if (!ParseEntry(line, entries))
            return false;
    }
    return false;
}

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

bool ReadInstalledRecord(const ustring &app_path, InstalledList &entries) {
    entries.clear();
    std::string text;
    if (ReadSmallFile(InstalledRecordPath(app_path), text) && ParseRecord(text, entries))
        return true;
    entries.clear();
    return false;
}

int RemoveInstalledRecord(const ustring &app_path) {
    const ustring path = InstalledRecordPath(app_path);
    ::unlink(AtomicTemporaryPath(path).c_str());
    // Whatever took the name (a folder, a link) goes: a record must never outlive its copy.
    if (IsFileExist(path, false) && FSRemove(path, false) != 0) {
        LOX_LOG(ERROR, "service_debug", "installed-record", "failed to remove '%s': %s",
                path.c_str(), std::strerror(errno));
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

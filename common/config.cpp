#include "common/config.h"

#include <cstdio>
#include <cstring>

namespace {

const int kLineBufferSize = 8192;

enum ParseResult { PARSE_PAIR = 0, PARSE_NOTHING = 1, PARSE_MALFORMED = 2 };

// Closes the stream on every way out of read().
class FileCloser {
public:
    explicit FileCloser(FILE *file) : file_(file) {}
    ~FileCloser() { std::fclose(file_); }
    FileCloser(const FileCloser &) = delete;
    FileCloser &operator=(const FileCloser &) = delete;

private:
    FILE *file_;
};

char *SkipSpaces(char *cursor) {
    while (Config::is_space(static_cast<unsigned char>(*cursor))) ++cursor;
    return cursor;
}

}  // namespace

Config::Config() : keep_quotes(false) {}

Config::~Config() = default;

int Config::read(const std::string &path) {
    if (path.empty())
        return -1;
    FILE *file = std::fopen(path.c_str(), "re");
    if (file == nullptr)
        return -1;
    FileCloser closer(file);

    char line[kLineBufferSize];
    std::string key;
    std::string value;
    while (std::fgets(line, sizeof(line), file) != nullptr) {
        int result = parse(line, static_cast<int>(std::strlen(line)), key, value);
        if (result == PARSE_PAIR) {
            entries_[key] = value;
        } else if (result == PARSE_MALFORMED) {
            entries_.clear();
            return -1;
        }
    }
    // A read error (a directory opens for reading, then fails with EISDIR) is no complete read.
    return std::ferror(file) ? -1 : 0;
}

std::string &Config::operator[](const std::string &key) {
    return entries_[key];
}

int Config::parse(char *line, int /*length*/, std::string &key, std::string &value) {
    char *cursor = SkipSpaces(line);
    char *key_begin = cursor;
    while (is_key_char(static_cast<unsigned char>(*cursor))) ++cursor;
    char *key_end = cursor;
    if (*cursor == '#' || *cursor == '\0')
        return PARSE_NOTHING;

    cursor = SkipSpaces(cursor);
    if (*cursor != '=')
        return PARSE_MALFORMED;
    cursor = SkipSpaces(cursor + 1);
    if (*cursor == '\0')
        return PARSE_MALFORMED;

    char quote = '\0';
    char closing = ' ';
    if (*cursor == '"' || *cursor == '\'') {
        quote = *cursor;
        closing = quote;
        ++cursor;
    }
    char *value_begin = cursor;
    while (is_value_char(static_cast<unsigned char>(*cursor)) && *cursor != closing) ++cursor;
    char *value_end = cursor;
    if (quote != '\0') {
        if (*cursor != quote)
            return PARSE_MALFORMED;
        ++cursor;
    }
    cursor = SkipSpaces(cursor);
    if (*cursor != '\0' && *cursor != '#')
        return PARSE_MALFORMED;

    *key_end = '\0';
    *value_end = '\0';
    key.assign(key_begin);
    value.assign(value_begin);
    if (keep_quotes && quote != '\0')
        value = quote + value + quote;
    return PARSE_PAIR;
}

bool Config::is_key_char(unsigned char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '-' ||
           c == '_' || c == '.';
}

bool Config::is_value_char(unsigned char c) {
    return c >= 0x20 && c != 0x7F;
}

bool Config::is_space(unsigned char c) {
    return (c >= 0x09 && c <= 0x0D) || c == ' ';
}

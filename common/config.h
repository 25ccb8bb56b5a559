#pragma once

#include <map>
#include <string>

// Reader of small "key = value" files (the component-level file, the client's pid file).
// The format is strict: one malformed line fails the whole read and empties the map.
class Config {
public:
    Config();
    ~Config();

    // 0 when the whole file was read; -1 for an empty path, a file that cannot be read,
    // or a malformed line (which also removes every pair read so far).
    int read(const std::string &path);

    // A missing key is inserted with an empty value.
    std::string &operator[](const std::string &key);

    // Parses one NUL-terminated line in place; length is not consulted.
    // 0: a pair (key and value assigned), 1: blank or comment, 2: malformed.
    int parse(char *line, int length, std::string &key, std::string &value);

    // Every pair, in key order.
    const std::map<std::string, std::string> &entries() const { return entries_; }

    static bool is_key_char(unsigned char c);
    static bool is_value_char(unsigned char c);
    static bool is_space(unsigned char c);

    // When true, a quoted value keeps its two quote characters.
    bool keep_quotes;

private:
    std::map<std::string, std::string> entries_;
};

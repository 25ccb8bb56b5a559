// UTF-8 string with a UTF-16 copy built on demand. Positions and lengths are byte counts.
#ifndef LOXEN_COMMON_USTRING_H
#define LOXEN_COMMON_USTRING_H

#include <cstddef>
#include <iosfwd>
#include <string>

class ustring {
public:
    typedef std::size_t size_type;
    static const size_type npos = static_cast<size_type>(-1);

    // A fixed underlying type keeps a stray value defined behaviour; normalize rejects it.
    enum normalization_form : int { NFC = 0, NFD = 1 };

    ustring();
    ustring(const char *s);
    ustring(const std::string &s);
    ustring(const ustring &s);
    explicit ustring(char c);
    ustring(const unsigned short *ws);
    ~ustring();

    const char *c_str() const { return data; }
    const char *c_str_utf8() const { return data; }
    const unsigned short *c_str_utf16() const;

    size_type length() const { return data_len; }
    size_type size() const { return data_len; }
    bool empty() const { return data_len == 0; }

    // Allocated sizes: bytes of the UTF-8 buffer, code units of the UTF-16 buffer.
    size_type capacity() const { return data_cap; }
    size_type utf16_capacity() const { return wdata_cap; }

    // No range test, and a write does not drop a built UTF-16 copy.
    char &operator[](size_type pos) { return data[pos]; }
    const char &operator[](size_type pos) const { return data[pos]; }

    void clear();
    void swap(ustring &other);

    // Changes through the UTF-8 side; each drops the UTF-16 copy.
    ustring &append(const char *s);
    ustring &append(const char *s, size_type n);
    ustring &append(const std::string &s, size_type pos = 0, size_type n = npos);
    ustring &append(const ustring &s, size_type pos = 0, size_type n = npos);
    ustring &append(char c, size_type n);

    ustring &assign(const char *s);
    ustring &assign(const char *s, size_type n);
    ustring &assign(const std::string &s, size_type pos = 0, size_type n = npos);
    ustring &assign(const ustring &s, size_type pos = 0, size_type n = npos);
    ustring &assign(char c, size_type n);

    // Changes through the UTF-16 side; each rebuilds the UTF-8 text at once.
    ustring &append(const unsigned short *ws);
    ustring &append(const unsigned short *ws, size_type n);
    ustring &append(unsigned short unit, size_type n);

    ustring &assign(const unsigned short *ws);
    ustring &assign(const unsigned short *ws, size_type n);
    ustring &assign(unsigned short unit, size_type n);

    ustring &operator=(const char *s);
    ustring &operator=(const std::string &s);
    ustring &operator=(const ustring &s);
    ustring &operator=(char c);
    ustring &operator=(const unsigned short *ws);
    ustring &operator=(unsigned short unit);

    ustring &operator+=(const char *s);
    ustring &operator+=(const std::string &s);
    ustring &operator+=(const ustring &s);
    ustring &operator+=(char c);
    ustring &operator+=(const unsigned short *ws);
    ustring &operator+=(unsigned short unit);

    ustring &replace(char from, char to);

    ustring &ltrim(const char *set);
    ustring &ltrim(const ustring &set);
    ustring &rtrim(const char *set);
    ustring &rtrim(const ustring &set);
    ustring &trim(const char *set);
    ustring &trim(const ustring &set);

    // Forward searches: stop at the first NUL byte.
    size_type find(const char *s, size_type pos = 0) const;
    size_type find(const std::string &s, size_type pos = 0) const;
    size_type find(const ustring &s, size_type pos = 0) const;
    size_type find(char c, size_type pos = 0) const;

    size_type find_first_of(const char *s, size_type pos = 0) const;
    size_type find_first_of(const std::string &s, size_type pos = 0) const;
    size_type find_first_of(const ustring &s, size_type pos = 0) const;
    size_type find_first_of(char c, size_type pos = 0) const;

    size_type find_first_not_of(const char *s, size_type pos = 0) const;
    size_type find_first_not_of(const std::string &s, size_type pos = 0) const;
    size_type find_first_not_of(const ustring &s, size_type pos = 0) const;
    size_type find_first_not_of(char c, size_type pos = 0) const;

    // Backward searches: start at pos, or at the last byte when pos is npos or past the end.
    size_type rfind(const char *s, size_type pos = npos) const;
    size_type rfind(const std::string &s, size_type pos = npos) const;
    size_type rfind(const ustring &s, size_type pos = npos) const;
    size_type rfind(char c, size_type pos = npos) const;

    size_type find_last_of(const char *s, size_type pos = npos) const;
    size_type find_last_of(const std::string &s, size_type pos = npos) const;
    size_type find_last_of(const ustring &s, size_type pos = npos) const;
    size_type find_last_of(char c, size_type pos = npos) const;

    size_type find_last_not_of(const char *s, size_type pos = npos) const;
    size_type find_last_not_of(const std::string &s, size_type pos = npos) const;
    size_type find_last_not_of(const ustring &s, size_type pos = npos) const;
    size_type find_last_not_of(char c, size_type pos = npos) const;

    // Throws std::out_of_range("substr") when pos is beyond the length.
    ustring substr(size_type pos = 0, size_type n = npos) const;

    static int compare(const ustring &a, const ustring &b, bool ignore_case);
    int compare(const ustring &other) const;
    int compare(const ustring &other, size_type n) const;

    static ustring normalize(const ustring &text, normalization_form form);
    ustring normalize(normalization_form form) const;

    static bool is_valid(const ustring &text);

private:
    void reserve_bytes(size_type need);
    void reserve_units(size_type need) const;
    void drop_utf16() const;
    void build_utf16() const;
    void rebuild_utf8();
    ustring &append_bytes(const char *s, size_type len);
    ustring &assign_bytes(const char *s, size_type len);
    ustring &append_units(const unsigned short *ws, size_type len);
    ustring &assign_units(const unsigned short *ws, size_type len);
    void prepare_utf16_change() const;
    bool owns(const char *p) const;
    size_type forward_start(size_type pos) const;
    size_type backward_start(size_type pos) const;

    char *data;
    size_type data_len;
    size_type data_cap;
    mutable unsigned short *wdata;
    mutable size_type wdata_len;
    mutable size_type wdata_cap;
};

bool operator<(const ustring &a, const ustring &b);
bool operator>(const ustring &a, const ustring &b);
bool operator<=(const ustring &a, const ustring &b);
bool operator>=(const ustring &a, const ustring &b);
bool operator==(const ustring &a, const ustring &b);
bool operator!=(const ustring &a, const ustring &b);

ustring operator+(const ustring &a, const ustring &b);
ustring operator+(const ustring &a, const char *b);
ustring operator+(const ustring &a, char b);
ustring operator+(const ustring &a, const unsigned short *b);
ustring operator+(const ustring &a, unsigned short b);

std::ostream &operator<<(std::ostream &os, const ustring &s);
std::istream &operator>>(std::istream &is, ustring &s);

void swap(ustring &a, ustring &b);

#endif  // LOXEN_COMMON_USTRING_H

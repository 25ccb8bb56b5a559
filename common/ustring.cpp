#include "common/ustring.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <new>
#include <stdexcept>
#include <utility>
#include <vector>

// ICU's UChar then has the same type as our UTF-16 buffer, so no casts are needed.
#define UCHAR_TYPE uint16_t
#include <unicode/unorm2.h>
#include <unicode/ustring.h>

static_assert(sizeof(unsigned short) == 2, "UTF-16 code units must be 16 bits wide");

namespace {

const std::size_t kInitialCapacity = 4;

// Only ASCII letters fold; every other byte maps to itself.
struct CaseFoldTable {
    unsigned char fold[256];
    CaseFoldTable() {
        for (int i = 0; i < 256; ++i) {
            fold[i] = static_cast<unsigned char>(i >= 'A' && i <= 'Z' ? i + ('a' - 'A') : i);
        }
    }
};
const CaseFoldTable kCaseFold;

// Membership table for the bytes of a C string; the terminating NUL is never a member.
class ByteSet {
public:
    explicit ByteSet(const char *set) {
        std::memset(member_, 0, sizeof(member_));
        for (const unsigned char *p = reinterpret_cast<const unsigned char *>(set); *p; ++p) {
            member_[*p] = true;
        }
    }
    bool contains(char c) const { return member_[static_cast<unsigned char>(c)]; }

private:
    bool member_[256];
};

std::size_t checked_sum(std::size_t a, std::size_t b) {
    if (a > SIZE_MAX - b)
        throw std::bad_alloc();
    return a + b;
}

// Keep the buffer while the need fits and uses at least half of it; otherwise size it exactly.
bool keeps_buffer(std::size_t need, std::size_t capacity) {
    return need <= capacity && need >= capacity / 2;
}

template <typename T>
T *reallocate_exact(T *buffer, std::size_t count) {
    if (count > SIZE_MAX / sizeof(T))
        throw std::bad_alloc();
    void *grown = std::realloc(buffer, count * sizeof(T));
    if (grown == nullptr)
        throw std::bad_alloc();
    return static_cast<T *>(grown);
}

template <typename T>
bool points_into(const T *p, const T *buffer, std::size_t capacity) {
    std::less_equal<const T *> le;
    std::less<const T *> lt;
    return le(buffer, p) && lt(p, buffer + capacity);
}

std::size_t utf16_length(const unsigned short *ws, std::size_t limit) {
    std::size_t n = 0;
    while (n < limit && ws[n] != 0) ++n;
    return n;
}

int32_t icu_capacity(std::size_t capacity) {
    return static_cast<int32_t>(capacity < INT32_MAX ? capacity : INT32_MAX);
}

void warn_icu(const char *function, UErrorCode code, int line) {
    std::cerr << "Warning: " << function << ": error code " << static_cast<int>(code) << " at line "
              << line << std::endl;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Lifetime and buffers

ustring::ustring()
    : data(nullptr), data_len(0), data_cap(0), wdata(nullptr), wdata_len(0), wdata_cap(0) {
    data = static_cast<char *>(std::malloc(kInitialCapacity));
    wdata = static_cast<unsigned short *>(std::malloc(kInitialCapacity * sizeof(unsigned short)));
    if (data == nullptr || wdata == nullptr) {
        std::free(data);
        std::free(wdata);
        throw std::bad_alloc();
    }
    data_cap = kInitialCapacity;
    wdata_cap = kInitialCapacity;
    data[0] = 0;
    wdata[0] = 0;
}

ustring::ustring(const char *s) : ustring() {
    assign(s);
}
ustring::ustring(const std::string &s) : ustring() {
    assign(s, 0, npos);
}
ustring::ustring(const ustring &s) : ustring() {
    assign(s, 0, npos);
}
ustring::ustring(char c) : ustring() {
    assign(c, 1);
}
ustring::ustring(const unsigned short *ws) : ustring() {
    assign(ws);
}

ustring::~ustring() {
    std::free(data);
    std::free(wdata);
}

void ustring::reserve_bytes(size_type need) {
    if (keeps_buffer(need, data_cap))
        return;
    data = reallocate_exact(data, need);
    data_cap = need;
}

void ustring::reserve_units(size_type need) const {
    if (keeps_buffer(need, wdata_cap))
        return;
    wdata = reallocate_exact(wdata, need);
    wdata_cap = need;
}

void ustring::drop_utf16() const {
    wdata_len = 0;
    wdata[0] = 0;
}

void ustring::clear() {
    data_len = 0;
    data[0] = 0;
    drop_utf16();
}

void ustring::swap(ustring &other) {
    std::swap(data, other.data);
    std::swap(data_len, other.data_len);
    std::swap(data_cap, other.data_cap);
    std::swap(wdata, other.wdata);
    std::swap(wdata_len, other.wdata_len);
    std::swap(wdata_cap, other.wdata_cap);
}

void swap(ustring &a, ustring &b) {
    a.swap(b);
}

bool ustring::owns(const char *p) const {
    return points_into(p, data, data_cap);
}

// ---------------------------------------------------------------------------------------------
// Conversions between the two forms

void ustring::build_utf16() const {
    UErrorCode err = U_ZERO_ERROR;
    int32_t units = 0;
    u_strFromUTF8(nullptr, 0, &units, data, -1, &err);
    if (units < 0)
        units = 0;
    reserve_units(static_cast<size_type>(units) + 1);
    err = U_ZERO_ERROR;
    u_strFromUTF8(wdata, icu_capacity(wdata_cap), &units, data, -1, &err);
    if (U_FAILURE(err)) {
        warn_icu("u_strFromUTF8", err, 946);
        drop_utf16();
        return;
    }
    wdata_len = static_cast<size_type>(units);
    wdata[wdata_len] = 0;
}

void ustring::rebuild_utf8() {
    UErrorCode err = U_ZERO_ERROR;
    int32_t bytes = 0;
    const int32_t source_len = static_cast<int32_t>(wdata_len);
    u_strToUTF8(nullptr, 0, &bytes, wdata, source_len, &err);
    if (bytes < 0)
        bytes = 0;
    try {
        reserve_bytes(static_cast<size_type>(bytes) + 1);
    } catch (const std::bad_alloc &) {
        // The UTF-8 text is still the old one; the changed copy must not outlive it.
        drop_utf16();
        throw;
    }
    err = U_ZERO_ERROR;
    u_strToUTF8(data, icu_capacity(data_cap), &bytes, wdata, source_len, &err);
    if (U_FAILURE(err)) {
        warn_icu("u_strToUTF8", err, 917);
        clear();
        return;
    }
    data_len = static_cast<size_type>(bytes);
    data[data_len] = 0;
}

const unsigned short *ustring::c_str_utf16() const {
    if (wdata_len == 0)
        build_utf16();
    return wdata;
}

void ustring::prepare_utf16_change() const {
    if (wdata_len == 0 && data_len != 0)
        build_utf16();
}

// ---------------------------------------------------------------------------------------------
// Changes through the UTF-8 side

ustring &ustring::append_bytes(const char *s, size_type len) {
    const bool own = owns(s);
    const size_type offset = own ? static_cast<size_type>(s - data) : 0;
    reserve_bytes(checked_sum(checked_sum(data_len, len), 1));
    const char *source = own ? data + offset : s;
    std::memmove(data + data_len, source, len);
    data_len += len;
    data[data_len] = 0;
    drop_utf16();
    return *this;
}

ustring &ustring::assign_bytes(const char *s, size_type len) {
    if (owns(s)) {
        if (s == data && len == data_len)
            return *this;
        // The source lies in the text itself: move it to the front before any resize.
        std::memmove(data, s, len);
        data_len = len;
        data[len] = 0;
        drop_utf16();
        reserve_bytes(len + 1);
        return *this;
    }
    reserve_bytes(checked_sum(len, 1));
    std::memcpy(data, s, len);
    data_len = len;
    data[len] = 0;
    drop_utf16();
    return *this;
}

ustring &ustring::append(const char *s) {
    return append_bytes(s, std::strlen(s));
}

ustring &ustring::append(const char *s, size_type n) {
    return append_bytes(s, strnlen(s, n));
}

ustring &ustring::append(const std::string &s, size_type pos, size_type n) {
    if (pos > s.size())
        throw std::out_of_range("basic_string::substr");
    const size_type take = std::min(n, s.size() - pos);
    return append_bytes(s.data() + pos, strnlen(s.data() + pos, take));
}

ustring &ustring::append(const ustring &s, size_type pos, size_type n) {
    if (pos > s.data_len)
        throw std::out_of_range("substr");
    const size_type take = std::min(n, s.data_len - pos);
    return append_bytes(s.data + pos, strnlen(s.data + pos, take));
}

ustring &ustring::append(char c, size_type n) {
    reserve_bytes(checked_sum(checked_sum(data_len, n), 1));
    std::memset(data + data_len, static_cast<unsigned char>(c), n);
    data_len += n;
    data[data_len] = 0;
    drop_utf16();
    return *this;
}

ustring &ustring::assign(const char *s) {
    return assign_bytes(s, std::strlen(s));
}

ustring &ustring::assign(const char *s, size_type n) {
    return assign_bytes(s, strnlen(s, n));
}

ustring &ustring::assign(const std::string &s, size_type pos, size_type n) {
    if (pos > s.size()) {
        clear();
        throw std::out_of_range("basic_string::substr");
    }
    const size_type take = std::min(n, s.size() - pos);
    return assign_bytes(s.data() + pos, strnlen(s.data() + pos, take));
}

ustring &ustring::assign(const ustring &s, size_type pos, size_type n) {
    if (pos > s.data_len) {
        // Taking the substring of the object itself fails before anything changes.
        if (&s != this)
            clear();
        throw std::out_of_range("substr");
    }
    const size_type take = std::min(n, s.data_len - pos);
    return assign_bytes(s.data + pos, strnlen(s.data + pos, take));
}

ustring &ustring::assign(char c, size_type n) {
    reserve_bytes(checked_sum(n, 1));
    std::memset(data, static_cast<unsigned char>(c), n);
    data_len = n;
    data[n] = 0;
    drop_utf16();
    return *this;
}

// ---------------------------------------------------------------------------------------------
// Changes through the UTF-16 side

ustring &ustring::append_units(const unsigned short *ws, size_type len) {
    if (len != 0 && points_into(ws, wdata, wdata_cap)) {
        // Building the copy may move the buffer the units live in.
        std::vector<unsigned short> copy(ws, ws + len);
        return append_units(copy.data(), len);
    }
    prepare_utf16_change();
    reserve_units(checked_sum(checked_sum(wdata_len, len), 1));
    std::memcpy(wdata + wdata_len, ws, len * sizeof(unsigned short));
    wdata_len += len;
    wdata[wdata_len] = 0;
    rebuild_utf8();
    return *this;
}

ustring &ustring::assign_units(const unsigned short *ws, size_type len) {
    if (ws == wdata) {
        if (len >= wdata_len)
            return *this;
        wdata_len = len;
        wdata[len] = 0;
        rebuild_utf8();
        return *this;
    }
    if (len != 0 && points_into(ws, wdata, wdata_cap)) {
        std::vector<unsigned short> copy(ws, ws + len);
        return assign_units(copy.data(), len);
    }
    reserve_units(checked_sum(len, 1));
    std::memcpy(wdata, ws, len * sizeof(unsigned short));
    wdata_len = len;
    wdata[len] = 0;
    rebuild_utf8();
    return *this;
}

ustring &ustring::append(const unsigned short *ws) {
    return append_units(ws, utf16_length(ws, npos));
}

ustring &ustring::append(const unsigned short *ws, size_type n) {
    return append_units(ws, utf16_length(ws, n));
}

ustring &ustring::append(unsigned short unit, size_type n) {
    prepare_utf16_change();
    reserve_units(checked_sum(checked_sum(wdata_len, n), 1));
    for (size_type i = 0; i < n; ++i) wdata[wdata_len + i] = unit;
    wdata_len += n;
    wdata[wdata_len] = 0;
    rebuild_utf8();
    return *this;
}

ustring &ustring::assign(const unsigned short *ws) {
    return assign_units(ws, utf16_length(ws, npos));
}

ustring &ustring::assign(const unsigned short *ws, size_type n) {
    return assign_units(ws, utf16_length(ws, n));
}

ustring &ustring::assign(unsigned short unit, size_type n) {
    reserve_units(checked_sum(n, 1));
    for (size_type i = 0; i < n; ++i) wdata[i] = unit;
    wdata_len = n;
    wdata[n] = 0;
    rebuild_utf8();
    return *this;
}

// ---------------------------------------------------------------------------------------------
// Operators that change the object

ustring &ustring::operator=(const char *s) {
    return assign(s);
}
ustring &ustring::operator=(const std::string &s) {
    return assign(s, 0, npos);
}
ustring &ustring::operator=(const ustring &s) {
    return assign(s, 0, npos);
}
ustring &ustring::operator=(char c) {
    return assign(c, 1);
}
ustring &ustring::operator=(const unsigned short *ws) {
    return assign(ws);
}
ustring &ustring::operator=(unsigned short unit) {
    return assign(unit, 1);
}

ustring &ustring::operator+=(const char *s) {
    return append(s);
}
ustring &ustring::operator+=(const std::string &s) {
    return append(s, 0, npos);
}
ustring &ustring::operator+=(const ustring &s) {
    return append(s, 0, npos);
}
ustring &ustring::operator+=(char c) {
    return append(c, 1);
}
ustring &ustring::operator+=(const unsigned short *ws) {
    return append(ws);
}
ustring &ustring::operator+=(unsigned short unit) {
    return append(unit, 1);
}

// ---------------------------------------------------------------------------------------------
// Byte replacement and trimming

ustring &ustring::replace(char from, char to) {
    const size_type end = std::strlen(data);
    for (size_type i = 0; i < end; ++i) {
        if (data[i] == from)
            data[i] = to;
    }
    drop_utf16();
    return *this;
}

ustring &ustring::ltrim(const char *set) {
    if (data_len == 0 || *set == 0)
        return *this;
    const ByteSet members(set);
    size_type first = 0;
    while (data[first] != 0 && members.contains(data[first])) ++first;
    if (first == 0)
        return *this;
    const size_type rest = std::strlen(data + first);
    std::memmove(data, data + first, rest);
    data[rest] = 0;
    data_len = rest;
    drop_utf16();
    return *this;
}

ustring &ustring::rtrim(const char *set) {
    if (data_len == 0 || *set == 0)
        return *this;
    const ByteSet members(set);
    size_type end = data_len;
    while (end > 0 && members.contains(data[end - 1])) --end;
    if (end == data_len)
        return *this;
    data[end] = 0;
    data_len = end;
    drop_utf16();
    return *this;
}

ustring &ustring::trim(const char *set) {
    if (owns(set)) {
        // Trimming the front would change the set before the back is trimmed.
        const std::string copy(set);
        return ltrim(copy.c_str()).rtrim(copy.c_str());
    }
    return ltrim(set).rtrim(set);
}

ustring &ustring::ltrim(const ustring &set) {
    return ltrim(set.data);
}
ustring &ustring::rtrim(const ustring &set) {
    return rtrim(set.data);
}
ustring &ustring::trim(const ustring &set) {
    return trim(set.data);
}

// ---------------------------------------------------------------------------------------------
// Searching

ustring::size_type ustring::forward_start(size_type pos) const {
    if (pos >= data_len || data[pos] == 0)
        return npos;
    return pos;
}

ustring::size_type ustring::backward_start(size_type pos) const {
    if (data_len == 0)
        return npos;
    return pos >= data_len ? data_len - 1 : pos;
}

ustring::size_type ustring::find(const char *s, size_type pos) const {
    const size_type start = forward_start(pos);
    if (start == npos || *s == 0)
        return start;
    const char *hit = std::strstr(data + start, s);
    return hit == nullptr ? npos : static_cast<size_type>(hit - data);
}

ustring::size_type ustring::find_first_of(const char *s, size_type pos) const {
    const size_type start = forward_start(pos);
    if (start == npos || *s == 0)
        return npos;
    const char *hit = std::strpbrk(data + start, s);
    return hit == nullptr ? npos : static_cast<size_type>(hit - data);
}

ustring::size_type ustring::find_first_not_of(const char *s, size_type pos) const {
    const size_type start = forward_start(pos);
    if (start == npos)
        return npos;
    const size_type hit = start + std::strspn(data + start, s);
    return data[hit] == 0 ? npos : hit;
}

ustring::size_type ustring::rfind(const char *s, size_type pos) const {
    const size_type start = backward_start(pos);
    if (start == npos || *s == 0)
        return start;
    const size_type needle_len = std::strlen(s);
    for (size_type i = start + 1; i-- > 0;) {
        // The text ends in a NUL the needle lacks, so the comparison never runs past it.
        if (data[i] == s[0] && std::strncmp(data + i, s, needle_len) == 0)
            return i;
    }
    return npos;
}

ustring::size_type ustring::find_last_of(const char *s, size_type pos) const {
    const size_type start = backward_start(pos);
    if (start == npos || *s == 0)
        return npos;
    const ByteSet members(s);
    for (size_type i = start + 1; i-- > 0;) {
        if (members.contains(data[i]))
            return i;
    }
    return npos;
}

ustring::size_type ustring::find_last_not_of(const char *s, size_type pos) const {
    const size_type start = backward_start(pos);
    if (start == npos || *s == 0)
        return start;
    const ByteSet members(s);
    for (size_type i = start + 1; i-- > 0;) {
        if (!members.contains(data[i]))
            return i;
    }
    return npos;
}

#define LOXEN_USTRING_SEARCH_FORMS(name)                                          \
    ustring::size_type ustring::name(const std::string &s, size_type pos) const { \
        return name(s.c_str(), pos);                                              \
    }                                                                             \
    ustring::size_type ustring::name(const ustring &s, size_type pos) const {     \
        return name(s.data, pos);                                                 \
    }                                                                             \
    ustring::size_type ustring::name(char c, size_type pos) const {               \
        const char needle[2] = {c, 0};                                            \
        return name(needle, pos);                                                 \
    }

LOXEN_USTRING_SEARCH_FORMS(find)
LOXEN_USTRING_SEARCH_FORMS(find_first_of)
LOXEN_USTRING_SEARCH_FORMS(find_first_not_of)
LOXEN_USTRING_SEARCH_FORMS(rfind)
LOXEN_USTRING_SEARCH_FORMS(find_last_of)
LOXEN_USTRING_SEARCH_FORMS(find_last_not_of)

#undef LOXEN_USTRING_SEARCH_FORMS

// ---------------------------------------------------------------------------------------------
// Substring and comparison

ustring ustring::substr(size_type pos, size_type n) const {
    if (pos > data_len)
        throw std::out_of_range("substr");
    const size_type take = std::min(n, data_len - pos);
    ustring result;
    result.assign_bytes(data + pos, strnlen(data + pos, take));
    return result;
}

int ustring::compare(const ustring &a, const ustring &b, bool ignore_case) {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(a.data);
    const unsigned char *q = reinterpret_cast<const unsigned char *>(b.data);
    for (;; ++p, ++q) {
        const int x = ignore_case ? kCaseFold.fold[*p] : *p;
        const int y = ignore_case ? kCaseFold.fold[*q] : *q;
        if (x != y || x == 0)
            return x - y;
    }
}

int ustring::compare(const ustring &other) const {
    return compare(*this, other, false);
}

int ustring::compare(const ustring &other, size_type n) const {
    const unsigned char *p = reinterpret_cast<const unsigned char *>(data);
    const unsigned char *q = reinterpret_cast<const unsigned char *>(other.data);
    for (size_type i = 0; i < n; ++i) {
        if (p[i] != q[i] || p[i] == 0)
            return p[i] - q[i];
    }
    return 0;
}

bool operator<(const ustring &a, const ustring &b) {
    return a.compare(b) < 0;
}
bool operator>(const ustring &a, const ustring &b) {
    return a.compare(b) > 0;
}
bool operator<=(const ustring &a, const ustring &b) {
    return a.compare(b) <= 0;
}
bool operator>=(const ustring &a, const ustring &b) {
    return a.compare(b) >= 0;
}
bool operator==(const ustring &a, const ustring &b) {
    return a.compare(b) == 0;
}
bool operator!=(const ustring &a, const ustring &b) {
    return a.compare(b) != 0;
}

ustring operator+(const ustring &a, const ustring &b) {
    return ustring(a) += b;
}
ustring operator+(const ustring &a, const char *b) {
    return ustring(a) += b;
}
ustring operator+(const ustring &a, char b) {
    return ustring(a) += b;
}
ustring operator+(const ustring &a, const unsigned short *b) {
    return ustring(a) += b;
}
ustring operator+(const ustring &a, unsigned short b) {
    return ustring(a) += b;
}

// ---------------------------------------------------------------------------------------------
// Normalisation and validity

ustring ustring::normalize(const ustring &text, normalization_form form) {
    ustring result;
    if (text.empty())
        return result;
    UErrorCode err = U_ZERO_ERROR;
    const UNormalizer2 *normalizer = nullptr;
    if (form == NFC || form == NFD) {
        const UNormalization2Mode mode = form == NFC ? UNORM2_COMPOSE : UNORM2_DECOMPOSE;
        normalizer = unorm2_getInstance(nullptr, "nfc", mode, &err);
    } else {
        err = U_ILLEGAL_ARGUMENT_ERROR;
    }
    if (U_FAILURE(err) || normalizer == nullptr) {
        warn_icu("unorm2_getInstance", err, 983);
        return result;
    }
    const unsigned short *source = text.c_str_utf16();
    err = U_ZERO_ERROR;
    int32_t units = unorm2_normalize(normalizer, source, -1, nullptr, 0, &err);
    if (units < 0)
        units = 0;
    result.reserve_units(static_cast<size_type>(units) + 1);
    err = U_ZERO_ERROR;
    units = unorm2_normalize(normalizer, source, -1, result.wdata, icu_capacity(result.wdata_cap),
                             &err);
    if (U_FAILURE(err)) {
        warn_icu("unorm2_normalize", err, 996);
        result.clear();
        return result;
    }
    result.wdata_len = static_cast<size_type>(units);
    result.wdata[result.wdata_len] = 0;
    result.rebuild_utf8();
    return result;
}

ustring ustring::normalize(normalization_form form) const {
    return normalize(*this, form);
}

bool ustring::is_valid(const ustring &text) {
    if (text.empty())
        return true;
    UErrorCode err = U_ZERO_ERROR;
    int32_t units = 0;
    u_strFromUTF8(nullptr, 0, &units, text.data, -1, &err);
    return err != U_INVALID_CHAR_FOUND;
}

// ---------------------------------------------------------------------------------------------
// Streams

std::ostream &operator<<(std::ostream &os, const ustring &s) {
    return os << s.c_str();
}

std::istream &operator>>(std::istream &is, ustring &s) {
    std::string word;
    is >> word;
    s = word;
    return is;
}

// ustring driven by a sequence of operations and checked after each one against a
// std::string model: changes from the object's own text (UTF-8 and UTF-16 side), the
// conversions, both normalisation forms, and the six search families.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "common/ustring.h"
#include "fuzz/fuzz_support.h"

namespace {

using size_type = ustring::size_type;
const size_type npos = ustring::npos;

// The text as C strings see it: up to the first NUL.
std::string CText(const std::string &s) {
    return s.substr(0, s.find('\0'));
}

// Well-formed UTF-8 as the Unicode standard's table 3-7 defines it.
bool ValidUtf8(const std::string &s) {
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = s[i];
        size_t extra = c < 0x80                 ? 0
                       : c >= 0xC2 && c <= 0xDF ? 1
                       : c >= 0xE0 && c <= 0xEF ? 2
                       : c >= 0xF0 && c <= 0xF4 ? 3
                                                : 9;
        if (extra == 9 || (extra > 0 && i + extra >= s.size()))
            return false;
        unsigned char low = 0x80, high = 0xBF;
        if (c == 0xE0)
            low = 0xA0;
        if (c == 0xED)
            high = 0x9F;
        if (c == 0xF0)
            low = 0x90;
        if (c == 0xF4)
            high = 0x8F;
        for (size_t k = 1; k <= extra; ++k) {
            const unsigned char t = s[i + k];
            if (t < (k == 1 ? low : 0x80) || t > (k == 1 ? high : 0xBF))
                return false;
        }
        i += extra + 1;
    }
    return true;
}

std::string Utf8OfUnit(unsigned short unit) {
    std::string out;
    if (unit < 0x80) {
        out += static_cast<char>(unit);
    } else if (unit < 0x800) {
        out += static_cast<char>(0xC0 | (unit >> 6));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (unit >> 12));
        out += static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (unit & 0x3F));
    }
    return out;
}

size_t SequenceLength(unsigned char lead) {
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

size_type Units(const std::string &utf8) {
    size_type units = 0;
    for (size_t i = 0; i < utf8.size(); i += SequenceLength(utf8[i]))
        units += SequenceLength(utf8[i]) == 4 ? 2 : 1;
    return units;
}

// Assigning the first n units of the object's own UTF-16 copy, which holds base: the count
// stops at a NUL unit; a count not smaller than the copy changes nothing, and a cut inside a
// surrogate pair empties the text.
bool FirstUnits(const std::string &base, size_type n, std::string &text) {
    const std::string front = CText(base);
    size_type units = 0;
    size_t i = 0;
    while (i < front.size() && units < n) {
        const size_t bytes = SequenceLength(front[i]);
        units += bytes == 4 ? 2 : 1;
        if (units > n) {
            text.clear();
            return true;
        }
        i += bytes;
    }
    if (units >= Units(base))
        return false;
    text = front.substr(0, i);
    return true;
}

bool Same(const ustring &u, const std::string &model) {
    return u.length() == model.size() && std::memcmp(u.c_str(), model.data(), model.size()) == 0 &&
           u.c_str()[model.size()] == '\0';
}

// The forward searches stop at the NUL that ends the stretch holding the start.
void CheckForward(const ustring &u, const std::string &m, const std::string &needle, size_type p) {
    std::string part;
    if (p < m.size() && m[p] != '\0')
        part = m.substr(0, m.find('\0', p));
    const bool none = part.empty();
    FUZZ_CHECK(u.find(needle.c_str(), p) == (none ? npos : part.find(needle, p)));
    FUZZ_CHECK(u.find_first_of(needle.c_str(), p) == (none ? npos : part.find_first_of(needle, p)));
    FUZZ_CHECK(u.find_first_not_of(needle.c_str(), p) ==
               (none ? npos : part.find_first_not_of(needle, p)));
    const char c = needle.empty() ? '\0' : needle[0];
    FUZZ_CHECK(u.find(c, p) == u.find(std::string(1, c).c_str(), p));
    FUZZ_CHECK(u.find_first_not_of(c, p) == u.find_first_not_of(std::string(1, c).c_str(), p));
}

void CheckBackward(const ustring &u, const std::string &m, const std::string &needle, size_type p) {
    const bool none = m.empty();
    const size_type start = p >= m.size() ? npos : p;
    const size_type last = none ? npos : std::min(p, m.size() - 1);
    FUZZ_CHECK(u.rfind(needle.c_str(), p) == (needle.empty() ? last : m.rfind(needle, start)));
    FUZZ_CHECK(u.find_last_of(needle.c_str(), p) == (none ? npos : m.find_last_of(needle, start)));
    FUZZ_CHECK(u.find_last_not_of(needle.c_str(), p) ==
               (none ? npos : m.find_last_not_of(needle, start)));
    const char c = needle.empty() ? '\0' : needle[0];
    FUZZ_CHECK(u.rfind(c, p) == u.rfind(std::string(1, c).c_str(), p));
    FUZZ_CHECK(u.find_last_of(c, p) == u.find_last_of(std::string(1, c).c_str(), p));
}

void CheckConversions(const ustring &u, const std::string &m) {
    const std::string text = CText(m);
    const bool valid = ValidUtf8(text);
    FUZZ_CHECK(ustring::is_valid(u) == valid);
    const ustring back(u.c_str_utf16());
    FUZZ_CHECK(Same(back, valid ? text : std::string()));
    const ustring nfc = u.normalize(ustring::NFC);
    const ustring nfd = u.normalize(ustring::NFD);
    if (!valid) {
        FUZZ_CHECK(nfc.empty() && nfd.empty());
        return;
    }
    FUZZ_CHECK(nfc.normalize(ustring::NFC) == nfc && nfd.normalize(ustring::NFD) == nfd);
    FUZZ_CHECK(nfd.normalize(ustring::NFC) == nfc && nfc.normalize(ustring::NFD) == nfd);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    FuzzedDataProvider in(data, size);
    ustring u;
    std::string m;
    // Whether the UTF-16 copy holds the whole text, NUL units included: a change through the
    // UTF-16 side leaves it so; one through the UTF-8 side drops it, and building it anew
    // stops at the first NUL.
    bool whole_copy = false;
    // Appending the text to itself doubles it: a bound keeps a long input from exhausting memory.
    while (in.remaining_bytes() > 0 && m.size() < 4096) {
        const std::string arg = in.ConsumeRandomLengthString(24);
        const size_type n = in.ConsumeIntegralInRange<size_type>(0, m.size() + 2);
        const size_type pos = in.ConsumeBool() ? npos : n;
        // The text a change made through the UTF-16 side starts from.
        const std::string base = whole_copy ? m : ValidUtf8(CText(m)) ? CText(m) : std::string();
        const int op = in.ConsumeIntegralInRange(0, 9);
        // A change that changes nothing (assigning the text to itself, a failed substring)
        // keeps the copy.
        const bool was_whole = whole_copy;
        whole_copy = whole_copy && op >= 7;
        switch (op) {
            case 0:
                u.append(arg.c_str(), n);
                m += CText(arg).substr(0, n);
                break;
            case 1:
                u.append(u.c_str());
                m += CText(m);
                break;
            case 2:
                u.append(u.c_str(), n);
                m += CText(m).substr(0, n);
                break;
            case 3: {
                u.assign(u.c_str(), n);
                const std::string kept = CText(m).substr(0, n);
                if (kept.size() != m.size())
                    m = kept;
                else
                    whole_copy = was_whole;
                break;
            }
            case 4:
            case 5: {
                const bool append = in.ConsumeBool();
                try {
                    append ? u.append(u, n, pos) : u.assign(u, n, pos);
                    FUZZ_CHECK(n <= m.size());
                    const std::string piece = CText(m.substr(n, pos));
                    m = append ? m + piece : piece;
                } catch (const std::out_of_range &) {
                    FUZZ_CHECK(n > m.size());
                    whole_copy = was_whole;
                }
                break;
            }
            case 6:
                u.append(arg.empty() ? '\0' : arg[0], n);
                m.append(n, arg.empty() ? '\0' : arg[0]);
                break;
            case 7:
                u.append(u.c_str_utf16());
                m = base + CText(base);
                whole_copy = !m.empty();
                break;
            case 8: {
                const unsigned short unit = in.ConsumeIntegral<unsigned short>();
                u.append(unit, n);
                const bool surrogate = unit >= 0xD800 && unit <= 0xDFFF;
                m = surrogate && n > 0 ? std::string() : base;
                for (size_type i = 0; !surrogate && i < n; ++i) m += Utf8OfUnit(unit);
                whole_copy = !m.empty();
                break;
            }
            case 9:
                u.assign(u.c_str_utf16(), n);
                if (FirstUnits(base, n, m))
                    whole_copy = !m.empty();
                break;
        }
        FUZZ_CHECK(Same(u, m));
        CheckForward(u, m, CText(arg), pos);
        CheckBackward(u, m, CText(arg), pos);
        CheckConversions(u, m);
    }
    return 0;
}

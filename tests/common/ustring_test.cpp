#include "common/ustring.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <new>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#if defined(__SANITIZE_ADDRESS__)
// The allocation-failure tests need a failing malloc instead of an abort.
extern "C" const char *__asan_default_options() {
    return "allocator_may_return_null=1";
}
#endif

namespace {

const ustring::size_type npos = ustring::npos;

typedef std::vector<unsigned short> Units;

Units UnitsOf(const unsigned short *ws) {
    Units out;
    while (*ws) out.push_back(*ws++);
    return out;
}

std::string Bytes(const ustring &s) {
    return std::string(s.c_str(), s.length());
}

std::string StderrOf(const std::function<void()> &fn) {
    testing::internal::CaptureStderr();
    fn();
    return testing::internal::GetCapturedStderr();
}

// ----------------------------------------------------------------------------------------------

TEST(UstringBasics, NewObjectIsEmptyWithFourElementBuffers) {
    ustring s;
    EXPECT_EQ(0u, s.length());
    EXPECT_TRUE(s.empty());
    EXPECT_STREQ("", s.c_str());
    EXPECT_EQ(s.c_str(), s.c_str_utf8());
    EXPECT_EQ(4u, s.capacity());
    EXPECT_EQ(4u, s.utf16_capacity());
    EXPECT_EQ(0, s.c_str_utf16()[0]);
}

TEST(UstringBasics, ConstructorsCopyUpToTheFirstNul) {
    EXPECT_EQ("abc", Bytes(ustring("abc")));
    EXPECT_EQ("ab", Bytes(ustring(std::string("ab\0cd", 5))));
    const ustring original("héllo");
    EXPECT_EQ("héllo", Bytes(ustring(original)));
    EXPECT_EQ("/", Bytes(ustring('/')));
    const unsigned short wide[] = {0x68, 0xE9, 0x20AC, 0xD83D, 0xDE00, 0};
    EXPECT_EQ("h\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80", Bytes(ustring(wide)));
}

TEST(UstringBasics, ClearSwapAndIndexing) {
    ustring a("hello world, long text");
    a.c_str_utf16();
    const std::size_t cap = a.capacity();
    const std::size_t wcap = a.utf16_capacity();
    a.clear();
    EXPECT_EQ("", Bytes(a));
    EXPECT_EQ(cap, a.capacity());
    EXPECT_EQ(wcap, a.utf16_capacity());
    EXPECT_EQ(0, a.c_str_utf16()[0]);

    ustring b("xy");
    ustring c("longer text");
    swap(b, c);
    EXPECT_EQ("longer text", Bytes(b));
    EXPECT_EQ("xy", Bytes(c));
    b.swap(c);
    EXPECT_EQ("xy", Bytes(b));
    EXPECT_EQ('y', static_cast<const ustring &>(b)[1]);
    b[0] = 'z';
    EXPECT_EQ("zy", Bytes(b));
}

// ----------------------------------------------------------------------------------------------

TEST(UstringBuffers, GrowExactlyAndShrinkBelowHalf) {
    ustring s(std::string(99, 'x'));
    EXPECT_EQ(100u, s.capacity());
    s.assign("abc");
    EXPECT_EQ(4u, s.capacity());
    s.append("d");
    EXPECT_EQ(5u, s.capacity());
    s.append("efg");
    EXPECT_EQ(8u, s.capacity());
    s.assign("ab");  // needs 3 of 8: below half, shrinks
    EXPECT_EQ(3u, s.capacity());
    s.assign(std::string(20, 'y'));
    EXPECT_EQ(21u, s.capacity());
    s.assign(std::string(10, 'z'));  // needs 11 of 21: at least half, kept
    EXPECT_EQ(21u, s.capacity());
    s.append('q', 10);
    EXPECT_EQ(21u, s.capacity());
    EXPECT_EQ(20u, s.length());
}

TEST(UstringBuffers, Utf16BufferFollowsTheSameRule) {
    ustring s("abcdefgh");
    s.c_str_utf16();
    EXPECT_EQ(9u, s.utf16_capacity());
    s.assign("ab");
    s.c_str_utf16();  // needs 3 of 9: shrinks
    EXPECT_EQ(3u, s.utf16_capacity());
    s.append(static_cast<unsigned short>('c'), 1);
    EXPECT_EQ(4u, s.utf16_capacity());
    EXPECT_EQ("abc", Bytes(s));
}

TEST(UstringBuffers, TrimDoesNotResize) {
    ustring s("   ab   ");
    s.trim(" ");
    EXPECT_EQ("ab", Bytes(s));
    EXPECT_EQ(9u, s.capacity());
}

TEST(UstringBuffers, FailedAllocationLeavesTheObjectUnchanged) {
    ustring s("keep me");
    s.c_str_utf16();
    const std::size_t cap = s.capacity();
    EXPECT_THROW(s.append('x', SIZE_MAX / 4), std::bad_alloc);
    EXPECT_THROW(s.append('x', npos), std::bad_alloc);  // size arithmetic overflows
    EXPECT_THROW(s.assign('x', SIZE_MAX / 4), std::bad_alloc);
    EXPECT_THROW(s.append(static_cast<unsigned short>('x'), SIZE_MAX / 8), std::bad_alloc);
    EXPECT_THROW(s.assign(static_cast<unsigned short>('x'), SIZE_MAX / 8), std::bad_alloc);
    EXPECT_EQ("keep me", Bytes(s));
    EXPECT_EQ(cap, s.capacity());
    EXPECT_EQ(Units({'k', 'e', 'e', 'p', ' ', 'm', 'e'}), UnitsOf(s.c_str_utf16()));
}

// ----------------------------------------------------------------------------------------------

TEST(UstringAppendAssign, CountedAndSubstringForms) {
    ustring s;
    s.append("abcdef", 3);
    EXPECT_EQ("abc", Bytes(s));
    s.append("x\0yz", 4);  // stops at the NUL
    EXPECT_EQ("abcx", Bytes(s));
    s.append(std::string("0123456"), 2, 3);
    EXPECT_EQ("abcx234", Bytes(s));
    s.append(std::string("ab\0cd", 5), 1, npos);
    EXPECT_EQ("abcx234b", Bytes(s));
    s.append(ustring("klmn"), 1, 2);
    EXPECT_EQ("abcx234blm", Bytes(s));
    s.append(ustring("klmn"), 4, 2);  // start at the length adds nothing
    EXPECT_EQ("abcx234blm", Bytes(s));

    s.assign("hello", 2);
    EXPECT_EQ("he", Bytes(s));
    s.assign(std::string("0123"), 1, 2);
    EXPECT_EQ("12", Bytes(s));
    s.assign(ustring("0123"), 3, npos);
    EXPECT_EQ("3", Bytes(s));
}

TEST(UstringAppendAssign, CharCopiesIncludeNulBytes) {
    ustring s("a");
    s.append('\0', 2).append('b', 1);
    EXPECT_EQ(std::string("a\0\0b", 4), Bytes(s));
    EXPECT_EQ(4u, s.length());
    s.assign('z', 0);
    EXPECT_EQ("", Bytes(s));
    s = 'q';
    s += 'r';
    EXPECT_EQ("qr", Bytes(s));
}

TEST(UstringAppendAssign, OperatorForms) {
    ustring s;
    s = "one";
    s += std::string("two");
    s += ustring("three");
    s += " ";
    EXPECT_EQ("onetwothree ", Bytes(s));
    s = std::string("four");
    EXPECT_EQ("four", Bytes(s));
    const ustring other("five");
    s = other;
    EXPECT_EQ("five", Bytes(s));
}

TEST(UstringAppendAssign, StartBeyondTheSourceThrows) {
    ustring s("old");
    try {
        s.append(std::string("ab"), 3, 1);
        FAIL() << "no exception";
    } catch (const std::out_of_range &e) {
        EXPECT_THAT(e.what(), testing::HasSubstr("basic_string::substr"));
    }
    EXPECT_EQ("old", Bytes(s));
    try {
        s.append(ustring("ab"), 3, 1);
        FAIL() << "no exception";
    } catch (const std::out_of_range &e) {
        EXPECT_STREQ("substr", e.what());
    }
    EXPECT_EQ("old", Bytes(s));

    // The assign forms empty the object first.
    EXPECT_THROW(s.assign(ustring("ab"), 3, 1), std::out_of_range);
    EXPECT_EQ("", Bytes(s));
    s = "old";
    EXPECT_THROW(s.assign(std::string("ab"), 3, 1), std::out_of_range);
    EXPECT_EQ("", Bytes(s));
}

TEST(UstringSelf, AppendOfItselfDoublesTheText) {
    ustring s("abc");
    s.append(s.c_str());
    EXPECT_EQ("abcabc", Bytes(s));
    s.append(s.c_str(), 2);
    EXPECT_EQ("abcabcab", Bytes(s));
    s += s;
    EXPECT_EQ("abcabcababcabcab", Bytes(s));
    s.append(s, 14, npos);
    EXPECT_EQ("abcabcababcabcabab", Bytes(s));
}

TEST(UstringSelf, AssignOfItself) {
    ustring s("abcdef");
    s.c_str_utf16();
    const unsigned short *copy = s.c_str_utf16();
    s.assign(s.c_str());
    EXPECT_EQ("abcdef", Bytes(s));
    EXPECT_EQ(copy, s.c_str_utf16());  // nothing changed, the copy is still there
    s = s;
    EXPECT_EQ("abcdef", Bytes(s));
    s.assign(s.c_str(), 4);
    EXPECT_EQ("abcd", Bytes(s));
    s.assign(s.c_str(), 10);
    EXPECT_EQ("abcd", Bytes(s));
    s.assign(s, 1, 2);
    EXPECT_EQ("bc", Bytes(s));
    EXPECT_THROW(s.assign(s, 3, 1), std::out_of_range);
    EXPECT_EQ("bc", Bytes(s));  // the substring fails before the object changes
}

TEST(UstringSelf, TrimWithItsOwnTextAsSet) {
    ustring s("aba");
    s.trim(s);
    EXPECT_EQ("", Bytes(s));
}

// ----------------------------------------------------------------------------------------------

TEST(UstringUtf16, AppendAndAssignForms) {
    const unsigned short e_acute[] = {0xE9, 0};
    const unsigned short units[] = {'x', 'y', 'z', 0};
    ustring s("a");
    s.append(e_acute);
    EXPECT_EQ("a\xC3\xA9", Bytes(s));
    s.append(units, 2);
    EXPECT_EQ("a\xC3\xA9xy", Bytes(s));
    s.append(static_cast<unsigned short>(0x20AC), 2);
    EXPECT_EQ("a\xC3\xA9xy\xE2\x82\xAC\xE2\x82\xAC", Bytes(s));
    s.assign(units);
    EXPECT_EQ("xyz", Bytes(s));
    s.assign(units, 1);
    EXPECT_EQ("x", Bytes(s));
    s.assign(static_cast<unsigned short>('k'), 3);
    EXPECT_EQ("kkk", Bytes(s));
    s = e_acute;
    EXPECT_EQ("\xC3\xA9", Bytes(s));
    s += static_cast<unsigned short>('!');
    s += units;
    EXPECT_EQ("\xC3\xA9!xyz", Bytes(s));
    s = static_cast<unsigned short>('w');
    EXPECT_EQ("w", Bytes(s));
    EXPECT_EQ(Units({'w'}), UnitsOf(s.c_str_utf16()));
}

TEST(UstringUtf16, SelfCases) {
    ustring s("ab\xC3\xA9");
    s.append(s.c_str_utf16());
    EXPECT_EQ(
        "ab\xC3\xA9"
        "ab\xC3\xA9",
        Bytes(s));
    s.append(s.c_str_utf16(), 1);
    EXPECT_EQ(
        "ab\xC3\xA9"
        "ab\xC3\xA9"
        "a",
        Bytes(s));
    s.assign(s.c_str_utf16());
    EXPECT_EQ(
        "ab\xC3\xA9"
        "ab\xC3\xA9"
        "a",
        Bytes(s));
    s.assign(s.c_str_utf16(), 3);
    EXPECT_EQ("ab\xC3\xA9", Bytes(s));
}

TEST(UstringUtf16, UtfChangeSeesAByteReplacement) {
    ustring s("a/b/c");
    s.c_str_utf16();
    s.replace('/', '_');
    EXPECT_EQ(Units({'a', '_', 'b', '_', 'c'}), UnitsOf(s.c_str_utf16()));
    s.append("d");
    EXPECT_EQ(Units({'a', '_', 'b', '_', 'c', 'd'}), UnitsOf(s.c_str_utf16()));
}

TEST(UstringUtf16, IllFormedUtf8GivesAnEmptyCopyAndAWarning) {
    ustring s("\xC3\x28");
    const unsigned short *wide = nullptr;
    const std::string err = StderrOf([&] { wide = s.c_str_utf16(); });
    EXPECT_EQ("Warning: u_strFromUTF8: error code 10 at line 946\n", err);
    EXPECT_EQ(0, wide[0]);
    EXPECT_EQ("\xC3\x28", Bytes(s));
    EXPECT_FALSE(ustring::is_valid(s));

    // A UTF-16 change then starts from the empty copy.
    std::string err2 = StderrOf([&] { s.append(static_cast<unsigned short>('z'), 1); });
    EXPECT_EQ("Warning: u_strFromUTF8: error code 10 at line 946\n", err2);
    EXPECT_EQ("z", Bytes(s));
}

TEST(UstringUtf16, LoneSurrogateEmptiesTheObject) {
    ustring s("abc");
    const std::string err = StderrOf([&] { s.append(static_cast<unsigned short>(0xD800), 1); });
    EXPECT_EQ("Warning: u_strToUTF8: error code 10 at line 917\n", err);
    EXPECT_EQ("", Bytes(s));
    EXPECT_EQ(0, s.c_str_utf16()[0]);

    const unsigned short low_first[] = {0xDC00, 0xD800, 0};
    ustring t("x");
    const std::string err2 = StderrOf([&] { t.assign(low_first); });
    EXPECT_EQ("Warning: u_strToUTF8: error code 10 at line 917\n", err2);
    EXPECT_TRUE(t.empty());
}

TEST(UstringUtf16, ValidityOfUtf8) {
    EXPECT_TRUE(ustring::is_valid(ustring()));
    EXPECT_TRUE(ustring::is_valid(ustring("plain")));
    EXPECT_TRUE(ustring::is_valid(ustring("\xF0\x9F\x98\x80")));
    EXPECT_FALSE(ustring::is_valid(ustring("\xED\xA0\x80")));  // encoded surrogate
    EXPECT_FALSE(ustring::is_valid(ustring("\xC0\xAF")));      // overlong
    EXPECT_FALSE(ustring::is_valid(ustring("ab\xFF")));
    EXPECT_FALSE(ustring::is_valid(ustring("\xE2\x82")));  // truncated
}

TEST(UstringUtf16, NormalizeComposesAndDecomposes) {
    const ustring decomposed("e\xCC\x81");
    const ustring composed = decomposed.normalize(ustring::NFC);
    EXPECT_EQ("\xC3\xA9", Bytes(composed));
    EXPECT_EQ(2u, composed.length());
    const ustring back = ustring::normalize(composed, ustring::NFD);
    EXPECT_EQ("e\xCC\x81", Bytes(back));
    EXPECT_EQ(3u, back.length());
    EXPECT_EQ(Units({'e', 0x301}), UnitsOf(back.c_str_utf16()));
    EXPECT_EQ("", Bytes(ustring().normalize(ustring::NFC)));
    EXPECT_EQ("Amélie/Å",
              Bytes(ustring::normalize(ustring("Ame\xCC\x81lie/A\xCC\x8A"), ustring::NFC)));

    std::string result;
    const std::string err =
        StderrOf([&] { result = Bytes(ustring::normalize(ustring("\xC3\x28"), ustring::NFC)); });
    EXPECT_EQ("", result);
    EXPECT_EQ("Warning: u_strFromUTF8: error code 10 at line 946\n", err);
}

TEST(UstringUtf16, NormalizeRejectsAnUnknownForm) {
    std::string result = "unset";
    const std::string err = StderrOf([&] {
        result = Bytes(ustring("abc").normalize(static_cast<ustring::normalization_form>(7)));
    });
    EXPECT_EQ("", result);
    EXPECT_EQ("Warning: unorm2_getInstance: error code 1 at line 983\n", err);
}

// ----------------------------------------------------------------------------------------------

TEST(UstringSearch, ForwardStartRules) {
    const ustring s("abcabc");
    EXPECT_EQ(3u, s.find("abc", 1));
    EXPECT_EQ(2u, s.find("", 2));
    EXPECT_EQ(npos, s.find("", 6));  // at the length even an empty needle fails
    EXPECT_EQ(npos, ustring().find(""));
    EXPECT_EQ(npos, s.find("bcd", 0));
    EXPECT_EQ(npos, s.find_first_of('\0', 0));
    EXPECT_EQ(4u, s.find_first_not_of('\0', 4));
    EXPECT_EQ(2u, s.find_first_of("xc", 0));
    EXPECT_EQ(2u, s.find_first_not_of("ab", 0));
    EXPECT_EQ(npos, s.find_first_not_of("abc", 0));
    EXPECT_EQ(npos, s.find_first_of("", 0));
}

TEST(UstringSearch, ForwardSearchStopsAtNul) {
    ustring s("ab");
    s.append('\0', 1).append("cd");
    EXPECT_EQ(5u, s.length());
    EXPECT_EQ(npos, s.find("cd", 0));
    EXPECT_EQ(3u, s.find("cd", 3));
    EXPECT_EQ(npos, s.find("", 2));
    EXPECT_EQ(npos, s.find_first_not_of("ab", 0));
}

TEST(UstringSearch, BackwardStartRules) {
    const ustring path("a/b/c");
    EXPECT_EQ(3u, path.rfind("/", npos));
    EXPECT_EQ(3u, path.rfind('/', 3));
    EXPECT_EQ(1u, path.rfind('/', 2));
    EXPECT_EQ(3u, path.rfind("/", 100));
    EXPECT_EQ(npos, ustring("abc").rfind("/", npos));
    EXPECT_EQ(npos, ustring().rfind("/", npos));
    EXPECT_EQ(npos, ustring().rfind("", npos));
    // An empty needle gives the start, which is at most the last byte.
    EXPECT_EQ(4u, path.rfind("", npos));
    EXPECT_EQ(2u, path.rfind("", 2));
    EXPECT_EQ(4u, path.find_last_not_of("", npos));
    EXPECT_EQ(npos, path.find_last_of("", npos));
    // A match may extend past the start.
    EXPECT_EQ(2u, path.rfind("b/c", 2));
    EXPECT_EQ(npos, path.rfind("b/c", 1));
    EXPECT_EQ(2u, path.find_last_of("b", npos));
    EXPECT_EQ(3u, path.find_last_not_of("abc", npos));
    EXPECT_EQ(npos, path.find_last_not_of("abc/", npos));
    EXPECT_EQ(0u, path.find_last_of("a", 0));
}

TEST(UstringSearch, AllArgumentFormsAgree) {
    const ustring s("usr/lib/x86_64/lib");
    EXPECT_EQ(s.find("lib", 5), s.find(std::string("lib"), 5));
    EXPECT_EQ(s.find("lib", 5), s.find(ustring("lib"), 5));
    EXPECT_EQ(15u, s.find("lib", 5));
    EXPECT_EQ(3u, s.find('/', 0));
    EXPECT_EQ(15u, s.rfind(ustring("lib"), npos));
    EXPECT_EQ(4u, s.rfind(std::string("lib"), 14));
    EXPECT_EQ(7u, s.find_first_of(std::string("/_"), 4));
    EXPECT_EQ(11u, s.find_first_of(ustring("_"), 4));
    EXPECT_EQ(3u, s.find_first_not_of(ustring("usr"), 0));
    EXPECT_EQ(1u, s.find_first_not_of('u', 0));
    EXPECT_EQ(14u, s.find_last_of(std::string("/"), npos));
    EXPECT_EQ(14u, s.find_last_of('/', npos));
    EXPECT_EQ(13u, s.find_last_not_of(ustring("/"), 14));
    EXPECT_EQ(16u, s.find_last_not_of('b', npos));
}

// ----------------------------------------------------------------------------------------------

TEST(UstringSubstr, AtAndBeyondTheLength) {
    const ustring s("hello");
    EXPECT_EQ("", Bytes(s.substr(5, npos)));
    EXPECT_EQ("llo", Bytes(s.substr(2, npos)));
    EXPECT_EQ("llo", Bytes(s.substr(2, 100)));
    EXPECT_EQ("llo", Bytes(s.substr(2, 4)));  // count below the length, past the end
    EXPECT_EQ("el", Bytes(s.substr(1, 2)));
    EXPECT_EQ("", Bytes(s.substr(1, 0)));
    try {
        s.substr(6, 1);
        FAIL() << "no exception";
    } catch (const std::out_of_range &e) {
        EXPECT_STREQ("substr", e.what());
    }
    EXPECT_EQ("", Bytes(ustring().substr(0, npos)));
    EXPECT_THROW(ustring().substr(1, npos), std::out_of_range);
}

TEST(UstringCompare, StaticAndBounded) {
    EXPECT_EQ(0, ustring::compare(ustring("ABC"), ustring("abc"), true));
    EXPECT_NE(0, ustring::compare(ustring("ABC"), ustring("abc"), false));
    EXPECT_NE(0, ustring::compare(ustring("\xC3\xA9"), ustring("\xC3\x89"), true));  // é, É
    EXPECT_EQ(-1, ustring::compare(ustring("a"), ustring("b"), false));
    EXPECT_EQ(97, ustring::compare(ustring("a"), ustring(""), false));
    EXPECT_EQ(0xFF - 'a', ustring::compare(ustring("\xFF"), ustring("a"), false));
    EXPECT_EQ('[' - 'a', ustring::compare(ustring("["), ustring("A"), true));
    EXPECT_EQ(0, ustring("abcd").compare(ustring("abcx"), 3));
    EXPECT_EQ('d' - 'x', ustring("abcd").compare(ustring("abcx"), 4));
    EXPECT_EQ(0, ustring("a").compare(ustring("b"), 0));
    EXPECT_EQ(0, ustring("ab").compare(ustring("ab"), 10));
    EXPECT_EQ(-'c', ustring("ab").compare(ustring("abc"), 10));
    EXPECT_EQ(0, ustring("same").compare(ustring("same")));
}

TEST(UstringCompare, FreeOperators) {
    const ustring a("apple"), b("banana");
    EXPECT_TRUE(a < b);
    EXPECT_FALSE(b < a);
    EXPECT_TRUE(b > a);
    EXPECT_TRUE(a == ustring("apple"));
    EXPECT_TRUE(a != b);
    EXPECT_TRUE(a <= ustring("apple"));
    EXPECT_TRUE(a >= ustring("apple"));
    EXPECT_TRUE(a <= b);
    EXPECT_FALSE(a >= b);
    EXPECT_TRUE(a == "apple");
    EXPECT_TRUE(std::string("apple") == a);

    const unsigned short units[] = {0xE9, 0};
    EXPECT_EQ("apple/banana", Bytes(a + "/" + b));
    EXPECT_EQ("apple!", Bytes(a + '!'));
    EXPECT_EQ("apple\xC3\xA9", Bytes(a + units));
    EXPECT_EQ("apple\xC3\xA9", Bytes(a + static_cast<unsigned short>(0xE9)));
    EXPECT_EQ("apple", Bytes(a));
}

// ----------------------------------------------------------------------------------------------

TEST(UstringEdit, ReplaceStopsAtNul) {
    ustring s("a/b");
    s.append('\0', 1).append("/c");
    s.replace('/', '_');
    EXPECT_EQ(std::string("a_b\0/c", 6), Bytes(s));
}

TEST(UstringEdit, Trimming) {
    ustring s("   ");
    s.trim(" ");
    EXPECT_EQ("", Bytes(s));
    s = " x ";
    s.trim("");
    EXPECT_EQ(" x ", Bytes(s));
    s = "--a-b--";
    s.ltrim("-");
    EXPECT_EQ("a-b--", Bytes(s));
    s.rtrim(ustring("-"));
    EXPECT_EQ("a-b", Bytes(s));
    s = "\t\n word \n";
    s.trim(ustring(" \t\n"));
    EXPECT_EQ("word", Bytes(s));
    s.c_str_utf16();
    s.ltrim("w");
    EXPECT_EQ(Units({'o', 'r', 'd'}), UnitsOf(s.c_str_utf16()));
}

TEST(UstringStreams, ReadOneWordWriteUpToNul) {
    std::istringstream in("first second");
    ustring s("old");
    in >> s;
    EXPECT_EQ("first", Bytes(s));
    in >> s;
    EXPECT_EQ("second", Bytes(s));

    ustring t("ab");
    t.append('\0', 1).append("cd");
    std::ostringstream out;
    out << t << '|';
    EXPECT_EQ("ab|", out.str());
}

// ----------------------------------------------------------------------------------------------
// Randomized: the search families against a plain reference model, over garbage with NULs.

struct Model {
    std::string text;  // every byte, NULs included

    char at(std::size_t i) const { return i < text.size() ? text[i] : '\0'; }
    static bool InSet(const std::string &set, char c) { return set.find(c) != std::string::npos; }
    bool MatchesAt(const std::string &needle, std::size_t i) const {
        for (std::size_t k = 0; k < needle.size(); ++k) {
            if (at(i + k) != needle[k])
                return false;
        }
        return true;
    }

    // kind: 0 find, 1 find_first_of, 2 find_first_not_of
    std::size_t Forward(int kind, const std::string &needle, std::size_t p) const {
        if (p >= text.size() || text[p] == 0)
            return npos;
        if (needle.empty())
            return kind == 1 ? npos : p;
        for (std::size_t i = p; at(i) != 0; ++i) {
            const bool hit = kind == 0   ? MatchesAt(needle, i)
                             : kind == 1 ? InSet(needle, text[i])
                                         : !InSet(needle, text[i]);
            if (hit)
                return i;
        }
        return npos;
    }

    // kind: 0 rfind, 1 find_last_of, 2 find_last_not_of
    std::size_t Backward(int kind, const std::string &needle, std::size_t p) const {
        if (text.empty())
            return npos;
        const std::size_t start = (p >= text.size()) ? text.size() - 1 : p;
        if (needle.empty())
            return kind == 1 ? npos : start;
        for (std::size_t i = start + 1; i-- > 0;) {
            const bool hit = kind == 0   ? MatchesAt(needle, i)
                             : kind == 1 ? InSet(needle, text[i])
                                         : !InSet(needle, text[i]);
            if (hit)
                return i;
        }
        return npos;
    }
};

class Garbage {
public:
    explicit Garbage(unsigned seed) : rng_(seed) {}

    std::string Text(std::size_t max_len) {
        std::string out(Below(max_len + 1), '\0');
        for (char &c : out) c = Byte();
        return out;
    }
    std::size_t Position(std::size_t len) {
        switch (Below(6)) {
            case 0:
                return npos;
            case 1:
                return len;
            case 2:
                return len + 1 + Below(3);
            case 3:
                return static_cast<std::size_t>(rng_());
            default:
                return Below(len + 1);
        }
    }
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(rng_() % n); }

private:
    // Mostly a small alphabet so that needles match, sometimes any byte at all.
    char Byte() {
        static const char kAlphabet[] = {'a', 'b', '/', '\0', '\xC3', '\xA9', '\xFF'};
        if (Below(4) == 0)
            return static_cast<char>(Below(256));
        return kAlphabet[Below(sizeof(kAlphabet))];
    }
    std::mt19937 rng_;
};

ustring FromBytes(const std::string &bytes) {
    ustring s;
    for (char c : bytes) s.append(c, 1);
    return s;
}

std::string AsCString(const std::string &bytes) {
    return std::string(bytes.c_str());
}

TEST(UstringRandomized, SearchesMatchTheReferenceModel) {
    typedef std::size_t (ustring::*ByCString)(const char *, std::size_t) const;
    typedef std::size_t (ustring::*ByStd)(const std::string &, std::size_t) const;
    typedef std::size_t (ustring::*ByUstring)(const ustring &, std::size_t) const;
    typedef std::size_t (ustring::*ByChar)(char, std::size_t) const;
    struct Family {
        const char *name;
        bool forward;
        int kind;
        ByCString c;
        ByStd s;
        ByUstring u;
        ByChar ch;
    };
    const Family families[] = {
        {"find", true, 0, &ustring::find, &ustring::find, &ustring::find, &ustring::find},
        {"find_first_of", true, 1, &ustring::find_first_of, &ustring::find_first_of,
         &ustring::find_first_of, &ustring::find_first_of},
        {"find_first_not_of", true, 2, &ustring::find_first_not_of, &ustring::find_first_not_of,
         &ustring::find_first_not_of, &ustring::find_first_not_of},
        {"rfind", false, 0, &ustring::rfind, &ustring::rfind, &ustring::rfind, &ustring::rfind},
        {"find_last_of", false, 1, &ustring::find_last_of, &ustring::find_last_of,
         &ustring::find_last_of, &ustring::find_last_of},
        {"find_last_not_of", false, 2, &ustring::find_last_not_of, &ustring::find_last_not_of,
         &ustring::find_last_not_of, &ustring::find_last_not_of},
    };

    Garbage gen(20240607u);
    int checks = 0;
    for (int round = 0; round < 4000; ++round) {
        const Model model{gen.Text(24)};
        const ustring text = FromBytes(model.text);
        ASSERT_EQ(model.text, Bytes(text));
        const std::string raw_needle = gen.Text(4);
        const std::string needle = AsCString(raw_needle);
        const ustring u_needle(raw_needle);
        const char one = gen.Below(3) == 0 ? '\0' : raw_needle.empty() ? 'a' : raw_needle[0];
        const std::string one_needle = AsCString(std::string(1, one));
        for (const Family &f : families) {
            const std::size_t p = gen.Position(model.text.size());
            const auto expect = [&](const std::string &n) {
                return f.forward ? model.Forward(f.kind, n, p) : model.Backward(f.kind, n, p);
            };
            const std::size_t want = expect(needle);
            SCOPED_TRACE(testing::Message() << f.name << " round " << round << " pos " << p);
            ASSERT_EQ(want, (text.*f.c)(raw_needle.c_str(), p));
            ASSERT_EQ(want, (text.*f.s)(raw_needle, p));
            ASSERT_EQ(want, (text.*f.u)(u_needle, p));
            ASSERT_EQ(expect(one_needle), (text.*f.ch)(one, p));
            checks += 4;
        }

        const std::size_t pos = gen.Position(model.text.size());
        const std::size_t count = gen.Position(model.text.size());
        if (pos > model.text.size()) {
            ASSERT_THROW(text.substr(pos, count), std::out_of_range);
        } else {
            ASSERT_EQ(AsCString(model.text.substr(pos, count)), Bytes(text.substr(pos, count)));
        }
    }
    EXPECT_EQ(4000 * 6 * 4, checks);
}

TEST(UstringRandomized, GarbageThroughTheUtf16CopyAndBack) {
    Garbage gen(7u);
    int invalid = 0;
    int round_trips = 0;
    testing::internal::CaptureStderr();
    for (int round = 0; round < 3000; ++round) {
        const std::string bytes = gen.Text(32);
        ustring text = FromBytes(bytes);
        const bool valid = ustring::is_valid(text);
        const ustring back(text.c_str_utf16());
        if (!valid) {
            ++invalid;
            EXPECT_TRUE(back.empty());
            continue;
        }
        EXPECT_EQ(AsCString(bytes), Bytes(back));
        EXPECT_EQ(Bytes(back.normalize(ustring::NFC)),
                  Bytes(back.normalize(ustring::NFD).normalize(ustring::NFC)));
        ++round_trips;
    }
    const std::string err = testing::internal::GetCapturedStderr();
    std::size_t warnings = 0;
    for (std::size_t at = err.find("u_strFromUTF8"); at != std::string::npos;
         at = err.find("u_strFromUTF8", at + 1)) {
        ++warnings;
    }
    EXPECT_EQ(static_cast<std::size_t>(invalid), warnings);
    EXPECT_GT(invalid, 100);
    EXPECT_GT(round_trips, 100);
}

}  // namespace

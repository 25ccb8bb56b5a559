#include "common/config.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

class ConfigTest : public ::testing::Test {
protected:
    // Writes content to a fresh file and reads it into config.
    int ReadText(const std::string &content) {
        std::string path = dir / ("file" + std::to_string(++files));
        loxtest::WriteFile(path, content);
        return config.read(path);
    }

    loxtest::TempDir dir;
    Config config;
    int files = 0;
};

TEST_F(ConfigTest, SpacesAroundKeyEqualsAndValueAndTrailingCommentChangeNothing) {
    ASSERT_EQ(0, ReadText("pid=123\n"
                          " \tlevel \t= \t7 \t# seven\n"
                          "# a comment\n"
                          "   # indented comment\n"
                          "\n"
                          "   \n"
                          "hash=a#b\n"
                          "only_key#ignored\n"
                          "=empty\n"));
    EXPECT_EQ("123", config["pid"]);
    EXPECT_EQ("7", config["level"]);
    EXPECT_EQ("a#b", config["hash"]);
    EXPECT_EQ("empty", config[""]);
    EXPECT_EQ(4u, config.entries().size());  // "only_key#" makes no pair
}

TEST_F(ConfigTest, QuotedValues) {
    ASSERT_EQ(0, ReadText("empty=\"\"\n"
                          "two=\"two words\"\n"
                          "single='say \"hi\"'\n"
                          "double=\"it's\"   # comment\n"
                          "utf8=\xC3\xA9t\xC3\xA9\n"));
    EXPECT_EQ("", config["empty"]);
    EXPECT_EQ("two words", config["two"]);
    EXPECT_EQ("say \"hi\"", config["single"]);
    EXPECT_EQ("it's", config["double"]);
    EXPECT_EQ("\xC3\xA9t\xC3\xA9", config["utf8"]);
}

TEST_F(ConfigTest, KeepQuotesStoresTheQuoteCharacters) {
    config.keep_quotes = true;
    ASSERT_EQ(0, ReadText("a='x y'\nb=\"\"\nc=plain\n"));
    EXPECT_EQ("'x y'", config["a"]);
    EXPECT_EQ("\"\"", config["b"]);
    EXPECT_EQ("plain", config["c"]);
}

TEST_F(ConfigTest, MalformedLinesFailTheRead) {
    const char *malformed[] = {
        "key\n",          "key #comment\n", "two words=1\n",    "a/b=1\n",     "a:b=1\n",
        "key=\n",         "key=   \n",      "key=two words\n",  "key='x'y'\n", "key=\"open\n",
        "key=\"a\tb\"\n", "key=\x01\n",     "key=\"x\" tail\n", "key=a\x7f\n",
    };
    for (const char *line : malformed) {
        Config fresh;
        std::string path = dir / "malformed";
        loxtest::WriteFile(path, line);
        EXPECT_EQ(-1, fresh.read(path)) << line;
        EXPECT_TRUE(fresh.entries().empty()) << line;
    }
}

TEST_F(ConfigTest, MalformedLineInTheMiddleEmptiesEverythingReadBefore) {
    ASSERT_EQ(0, ReadText("first=1\n"));
    EXPECT_EQ(-1, ReadText("second=2\nbroken line\nthird=3\n"));
    EXPECT_TRUE(config.entries().empty());
}

TEST_F(ConfigTest, CrlfLinesAndAMissingFinalLineFeedReadLikeLineFeeds) {
    ASSERT_EQ(0, ReadText("a=1\r\nb = \"x y\" \r\n# c\r\n\r\nlast=end"));
    EXPECT_EQ("1", config["a"]);
    EXPECT_EQ("x y", config["b"]);
    EXPECT_EQ("end", config["last"]);
    EXPECT_EQ(3u, config.entries().size());
}

TEST_F(ConfigTest, LaterReadsAddToThePairsAndTheLastOccurrenceWins) {
    ASSERT_EQ(0, ReadText("a=1\nb=2\na=3\n"));
    ASSERT_EQ(0, ReadText("c=4\nb=5\n"));
    EXPECT_EQ(-1, config.read(dir / "missing"));
    EXPECT_EQ(-1, config.read(""));
    EXPECT_EQ(-1, config.read(dir.path()));  // a directory
    EXPECT_EQ((std::map<std::string, std::string>{{"a", "3"}, {"b", "5"}, {"c", "4"}}),
              config.entries());
}

TEST_F(ConfigTest, OperatorBracketInsertsAMissingKeyWithAnEmptyValue) {
    EXPECT_TRUE(config["pid"].empty());
    EXPECT_EQ(1u, config.entries().count("pid"));
    config["pid"] = "42";
    EXPECT_EQ("42", config["pid"]);
}

TEST_F(ConfigTest, LongLineIsParsedInPiecesOf8191Bytes) {
    std::string first = "a=" + std::string(8189, 'x');  // exactly the 8191 bytes of one piece
    std::string second = "b=" + std::string(807, 'y');
    ASSERT_EQ(9000u, (first + second).size());
    ASSERT_EQ(0, ReadText(first + second + "\nc=3\n"));
    EXPECT_EQ(std::string(8189, 'x'), config["a"]);
    EXPECT_EQ(std::string(807, 'y'), config["b"]);
    EXPECT_EQ("3", config["c"]);

    // The second piece of a plain long pair is a bare word, which is malformed.
    Config other;
    std::string path = dir / "long";
    loxtest::WriteFile(path, "k=" + std::string(8998, 'v') + "\n");
    EXPECT_EQ(-1, other.read(path));
}

TEST_F(ConfigTest, NulBytesEndTheLineForTheParser) {
    ASSERT_EQ(0, ReadText(std::string("pid=12\0garbage here\n", 20) +
                          std::string("\0hidden=1\n", 10) + std::string("ke\0y=2\n", 7)));
    EXPECT_EQ((std::map<std::string, std::string>{{"pid", "12"}}), config.entries());
}

TEST_F(ConfigTest, ParseWritesTerminatorsAndLeavesOutputsAloneOnBlankLines) {
    char line[] = "  key = value # note";
    std::string key = "old", value = "old";
    ASSERT_EQ(0, config.parse(line, sizeof(line) - 1, key, value));
    EXPECT_EQ("key", key);
    EXPECT_EQ("value", value);
    EXPECT_STREQ("  key", line);
    EXPECT_STREQ("value", line + 8);

    char comment[] = "   # nothing";
    EXPECT_EQ(1, config.parse(comment, sizeof(comment) - 1, key, value));
    EXPECT_EQ("key", key);
    char broken[] = "key value";
    EXPECT_EQ(2, config.parse(broken, sizeof(broken) - 1, key, value));
    EXPECT_EQ("value", value);
}

TEST_F(ConfigTest, CharacterClassBoundaries) {
    for (unsigned char c : std::string("-_.09AZaz")) EXPECT_TRUE(Config::is_key_char(c)) << c;
    for (unsigned char c : std::string("/: =#@[`{\x80")) EXPECT_FALSE(Config::is_key_char(c)) << c;
    for (unsigned char c : std::string("\x20\x7e\x80\xff"))
        EXPECT_TRUE(Config::is_value_char(c)) << int(c);
    for (unsigned char c : std::string("\0\x09\x1f\x7f", 4))
        EXPECT_FALSE(Config::is_value_char(c)) << int(c);
    for (unsigned char c : std::string("\t\n\v\f\r ")) EXPECT_TRUE(Config::is_space(c)) << int(c);
    for (unsigned char c : std::string("\0\x08\x0e\xa0", 4))
        EXPECT_FALSE(Config::is_space(c)) << int(c);
}

// ---- randomized input --------------------------------------------------------------------

// Bytes that steer the parser into its branches, plus arbitrary binary garbage; now and then
// a line of up to 100000 bytes.
std::string RandomLine(std::mt19937 &rng) {
    static const std::string interesting = "ab_.-9=#\"' \t\r\n\x01\x7f\x80\xff";
    size_t length = rng() % 64 == 0 ? rng() % 100001 : rng() % 40;
    std::string line(length, '\0');
    for (char &c : line) {
        uint32_t bits = rng();
        c = (bits & 3) == 0 ? static_cast<char>(bits >> 8)
                            : interesting[(bits >> 8) % interesting.size()];
    }
    return line;
}

// A pair that parses must round-trip through a quoted line.
void ExpectPairRoundTrips(Config &config, const std::string &key, const std::string &value) {
    for (unsigned char c : key) ASSERT_TRUE(Config::is_key_char(c));
    for (unsigned char c : value) ASSERT_TRUE(Config::is_value_char(c));
    char quote = value.find('"') == std::string::npos ? '"' : '\'';
    if (value.find(quote) != std::string::npos)
        return;
    std::string line = key + "=" + quote + value + quote;
    std::string again_key, again_value;
    ASSERT_EQ(0, config.parse(&line[0], static_cast<int>(line.size()), again_key, again_value));
    EXPECT_EQ(key, again_key);
    EXPECT_EQ(value, again_value);
}

TEST_F(ConfigTest, RandomLinesNeverBreakParse) {
    std::mt19937 rng(20240229);
    for (int round = 0; round < 10000; ++round) {
        std::string text = RandomLine(rng);
        // Exact-size heap buffer, so an out-of-bounds access shows under the sanitizer.
        std::vector<char> buffer(text.begin(), text.end());
        buffer.push_back('\0');
        std::string key = "unset", value = "unset";
        int result = config.parse(buffer.data(), static_cast<int>(text.size()), key, value);
        ASSERT_TRUE(result == 0 || result == 1 || result == 2) << result;
        if (result == 1) {
            EXPECT_EQ("unset", key);
            EXPECT_EQ("unset", value);
        }
        if (result == 0)
            ExpectPairRoundTrips(config, key, value);
    }
}

TEST_F(ConfigTest, RandomFilesReadCleanly) {
    std::mt19937 rng(7);
    int good = 0;
    for (int round = 0; round < 1500; ++round) {
        std::string text;
        int lines = rng() % 8;
        for (int i = 0; i < lines; ++i) {
            // Mostly valid lines, so that some files read through to the end.
            text += rng() % 3 == 0 ? RandomLine(rng)
                                   : "k" + std::to_string(rng() % 5) + "=v" + std::to_string(round);
            text += "\n";
        }
        Config fresh;
        std::string path = dir / "random";
        loxtest::WriteFile(path, text);
        int result = fresh.read(path);
        std::remove(path.c_str());  // rewriting by truncation makes the file system flush
        ASSERT_TRUE(result == 0 || result == -1);
        if (result == -1) {
            EXPECT_TRUE(fresh.entries().empty());
        } else {
            ++good;
        }
        for (const auto &pair : fresh.entries())
            ExpectPairRoundTrips(fresh, pair.first, pair.second);
    }
    EXPECT_GT(good, 100);  // the generator must reach the successful path too
}

}  // namespace

#include "common/tmpnamegen.h"

#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/temp_dir.h"

namespace {

const std::string kAlphabet = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-_";

bool IsName(const std::string &name) {
    return name.size() == 8 && name.find_first_not_of(kAlphabet) == std::string::npos;
}

TEST(TmpNameGen, AlphabetHasSixtyFourDistinctCharacters) {
    EXPECT_EQ(kAlphabet, std::string(TmpNameGen::map));
    EXPECT_EQ(64u, std::set<char>(kAlphabet.begin(), kAlphabet.end()).size());
}

TEST(TmpNameGen, NamesAreEightAlphabetCharactersAndVary) {
    std::set<std::string> names;
    for (int i = 0; i < 2000; ++i) {
        const std::string name = TmpNameGen::getInstance().getTmpName();
        EXPECT_TRUE(IsName(name)) << name;
        names.insert(name);
    }
    // 48 random bits per name: a repeat among 2000 would mean a broken keystream.
    EXPECT_EQ(2000u, names.size());
    std::set<char> used;
    for (const auto &name : names) used.insert(name.begin(), name.end());
    EXPECT_GT(used.size(), 60u) << "the encoding does not reach the whole alphabet";
}

TEST(TmpNameGen, NamesFromManyThreadsAreAllValidAndDistinct) {
    constexpr int kThreads = 8;
    constexpr int kPerThread = 500;
    std::vector<std::vector<std::string>> made(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&made, t] {
            for (int i = 0; i < kPerThread; ++i)
                made[t].push_back(TmpNameGen::getInstance().getTmpPath("/d"));
        });
    }
    for (auto &thread : threads) thread.join();

    std::set<std::string> all;
    for (const auto &list : made) {
        for (const auto &path : list) {
            ASSERT_EQ("/d/", path.substr(0, 3));
            EXPECT_TRUE(IsName(path.substr(3))) << path;
            all.insert(path);
        }
    }
    EXPECT_EQ(static_cast<size_t>(kThreads * kPerThread), all.size());
}

TEST(TmpNameGen, PathJoinsTheDirectoryWithASlash) {
    const std::string in_tmp = TmpNameGen::getInstance().getTmpPath("/tmp");
    ASSERT_EQ(13u, in_tmp.size());
    EXPECT_EQ("/tmp/", in_tmp.substr(0, 5));
    EXPECT_TRUE(IsName(in_tmp.substr(5)));

    const std::string in_empty = TmpNameGen::getInstance().getTmpPath("");
    ASSERT_EQ(9u, in_empty.size());
    EXPECT_EQ('/', in_empty[0]);
    EXPECT_TRUE(IsName(in_empty.substr(1)));
}

TEST(TmpNameGen, LockAndUnlockSucceed) {
    TmpNameGen &generator = TmpNameGen::getInstance();
    EXPECT_EQ(0, generator.lock());
    EXPECT_EQ(0, generator.unlock());
    EXPECT_TRUE(IsName(generator.getTmpName()));
}

TEST(TmpNameGen, KeystreamIsRc4) {
    // A 256-byte key repeating "Key" schedules like the 3-byte key "Key".
    unsigned char key[256];
    for (int i = 0; i < 256; ++i) key[i] = static_cast<unsigned char>("Key"[i % 3]);
    unsigned char state[256];
    TmpNameGen::rc4_init(state, key);
    unsigned char stream[9];
    TmpNameGen::rc4_randomize(state, stream, 9);

    const unsigned char plain[] = "Plaintext";
    const unsigned char expected[] = {0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(expected[i], plain[i] ^ stream[i]) << "byte " << i;
}

TEST(TmpNameGen, KeyComesFromTheDeviceWhenItGivesEnough) {
    loxtest::TempDir tmp;
    std::string bytes(256, '\0');
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<char>(255 - i);
    loxtest::WriteFile(tmp / "random", bytes);

    unsigned char key[256];
    TmpNameGen::get_key_from((tmp / "random").c_str(), key, sizeof key);
    EXPECT_EQ(0, std::memcmp(key, bytes.data(), sizeof key));
}

TEST(TmpNameGen, KeyFallsBackToTheTimeOfDayWithoutTheDevice) {
    loxtest::TempDir tmp;
    loxtest::WriteFile(tmp / "short", "too short");
    const std::regex time_of_day("[0-9]+-[0-9]+");
    for (const std::string &device : {tmp / "missing", tmp / "short"}) {
        unsigned char key[256];
        std::memset(key, 0xAB, sizeof key);
        TmpNameGen::get_key_from(device.c_str(), key, sizeof key);
        const std::string text(reinterpret_cast<const char *>(key));
        EXPECT_TRUE(std::regex_match(text, time_of_day)) << device << ": " << text;
        EXPECT_EQ(0xAB, key[255]) << "the rest of the buffer is left as it was";
    }
}

}  // namespace

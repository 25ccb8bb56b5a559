#pragma once

#include <pthread.h>

#include <string>

// Short random names for temporary entries: 8 characters of a 64-character alphabet,
// drawn from a keystream seeded once per process.
class TmpNameGen {
public:
    static TmpNameGen &getInstance();

    std::string getTmpName();
    // directory + "/" + a new name; not tested against existing entries.
    std::string getTmpPath(const std::string &directory);

    int lock();
    int unlock();

    // Fills buffer from the random device, or from the time of day when it cannot.
    static void get_key(unsigned char *buffer, unsigned long size);
    // The same with another device, so the fallback can be exercised.
    static void get_key_from(const char *device, unsigned char *buffer, unsigned long size);
    // RC4 key schedule over 256 key bytes.
    static void rc4_init(unsigned char *state, unsigned char *key);
    // RC4 output; both counters start at 0 on every call, only the permutation carries over.
    static void rc4_randomize(unsigned char *state, unsigned char *output, int count);

    static const char map[65];
    static constexpr int kNameLength = 8;

    TmpNameGen(const TmpNameGen &) = delete;
    TmpNameGen &operator=(const TmpNameGen &) = delete;

private:
    TmpNameGen();
    ~TmpNameGen();

    pthread_mutex_t mutex;
    unsigned char state[256];
    unsigned char key[256];
    unsigned char scratch[6];
};

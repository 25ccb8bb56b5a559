#include "common/tmpnamegen.h"

#include <sys/time.h>

#include <cstdio>
#include <utility>

namespace {

constexpr unsigned long kKeySize = 256;
constexpr int kRandomBytes = 6;
const char kRandomDevice[] = "/dev/urandom";

// Four alphabet characters from the 24-bit group at bytes, most significant first.
void EncodeGroup(const unsigned char *bytes, char *out) {
    const unsigned long group = (static_cast<unsigned long>(bytes[0]) << 16) |
                                (static_cast<unsigned long>(bytes[1]) << 8) | bytes[2];
    for (int i = 0; i < 4; ++i) out[i] = TmpNameGen::map[(group >> (18 - 6 * i)) & 0x3F];
}

}  // namespace

const char TmpNameGen::map[65] = "0123456789abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ-_";

TmpNameGen &TmpNameGen::getInstance() {
    // Constructed once even when several threads ask first at the same time.
    static TmpNameGen instance;
    return instance;
}

TmpNameGen::TmpNameGen() : state(), key(), scratch() {
    pthread_mutex_init(&mutex, nullptr);
    get_key(key, kKeySize);
    rc4_init(state, key);
}

TmpNameGen::~TmpNameGen() {
    pthread_mutex_destroy(&mutex);
}

int TmpNameGen::lock() {
    return pthread_mutex_lock(&mutex);
}

int TmpNameGen::unlock() {
    return pthread_mutex_unlock(&mutex);
}

std::string TmpNameGen::getTmpName() {
    char name[kNameLength];
    lock();
    rc4_randomize(state, scratch, kRandomBytes);
    EncodeGroup(scratch, name);
    EncodeGroup(scratch + 3, name + 4);
    unlock();
    return std::string(name, kNameLength);
}

std::string TmpNameGen::getTmpPath(const std::string &directory) {
    return directory + "/" + getTmpName();
}

void TmpNameGen::get_key(unsigned char *buffer, unsigned long size) {
    get_key_from(kRandomDevice, buffer, size);
}

void TmpNameGen::get_key_from(const char *device, unsigned char *buffer, unsigned long size) {
    FILE *random = std::fopen(device, "rbe");
    if (random != nullptr) {
        const size_t got = std::fread(buffer, 1, size, random);
        std::fclose(random);
        if (got == size)
            return;
    }
    struct timeval now;
    gettimeofday(&now, nullptr);
    std::snprintf(reinterpret_cast<char *>(buffer), size, "%lu-%lu",
                  static_cast<unsigned long>(now.tv_sec), static_cast<unsigned long>(now.tv_usec));
}

void TmpNameGen::rc4_init(unsigned char *state, unsigned char *key) {
    for (int i = 0; i < 256; ++i) state[i] = static_cast<unsigned char>(i);
    unsigned int j = 0;
    for (int i = 0; i < 256; ++i) {
        j = (j + state[i] + key[i]) % 256;
        std::swap(state[i], state[j]);
    }
}

void TmpNameGen::rc4_randomize(unsigned char *state, unsigned char *output, int count) {
    unsigned int j = 0;
    for (int n = 0; n < count; ++n) {
        const unsigned int i = static_cast<unsigned int>(n + 1) % 256;
        j = (j + state[i]) % 256;
        std::swap(state[i], state[j]);
        output[n] = state[(state[i] + state[j]) % 256];
    }
}

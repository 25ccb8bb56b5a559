#include "launcher/user-home.h"

#include <pwd.h>
#include <unistd.h>

#include <QFile>
#include <cstdlib>
#include <vector>

namespace {

// The home of this user in the user database; empty when it has none.
std::string DatabaseHome() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd *found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 ||
        found == nullptr || found->pw_dir == nullptr)
        return std::string();
    return found->pw_dir;
}

}  // namespace

std::string SettleHomeVariable() {
    const char *given = std::getenv("HOME");
    if (given != nullptr && given[0] == '/')
        return std::string();
    const std::string what = given == nullptr ? "HOME is not set"
                             : given[0] == '\0'
                                 ? "HOME is empty"
                                 : "HOME '" + std::string(given) + "' is not an absolute path";
    const std::string home = DatabaseHome();
    if (home.empty() || home[0] != '/')
        return what + ", and the user database names no home either";
    ::setenv("HOME", home.c_str(), 1);
    return what + ": using the home '" + home + "' that the user database names";
}

bool HomeNameIsExact() {
    const QByteArray home = qgetenv("HOME");
    return home.isEmpty() || QFile::encodeName(QFile::decodeName(home)) == home;
}

#pragma once

#include <string>

#include "common/ustring.h"
#include "service/installed-record.h"

// How a copy differs from its record: how many recorded entries, the first of them and what
// is wrong with it. Entries the record does not name (the client's own files) never count.
struct CopyDifference {
    long long count = 0;
    std::string first;
    std::string what;
};

// Every file, folder and link below app, by lstat (nothing is followed or read); 0, or -1
// after logging why.
int ListCopy(const ustring &app, InstalledList &entries);
// Holds the copy to the record by lstat and readlink only: an entry missing or of another
// type, a file of another size, a recorded run bit lost or a link changed is a difference.
CopyDifference CompareCopy(const ustring &app, const InstalledList &record);

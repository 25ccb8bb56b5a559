#pragma once

#include "common/ustring.h"
#include "service/copy-compare.h"
#include "service/installed-record.h"

// The copy held to its record of what was installed, on a thread of its own while the program
// starts: an up-to-date run then hardly waits for the lstat of every entry. Reads only; logs
// nothing (the log is not set up yet).
struct CopyCheck {
    bool recorded = false;  // a record was there; else the rest says nothing
    long long entries = 0;  // in the record
    CopyDifference difference;
};

// Starts the check of app beside the caller; once per process, nothing for an empty path.
void StartCopyCheckAhead(const ustring &app);
// The check of app: the one started ahead when it was for app (waiting for its end), else one
// made here.
CopyCheck TakeCopyCheck(const ustring &app);

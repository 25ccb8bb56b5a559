#pragma once

#include "common/ustring.h"

// A small file beside the application directory that says how far a replacement of that
// directory got. It exists only while a replacement runs, so finding it at the start of a
// run means the launcher died in the middle of one and the installation cannot be trusted.
// Every record is on disk before the step it announces begins.
class ReplaceJournal {
public:
    enum Step {
        STEP_UNKNOWN = 0,  // the file exists but cannot be read
        STEP_BACKUP,       // about to move the application directory to backup number n
        STEP_EXTRACT,      // the old installation is in backup n (none for -1); extracting
        STEP_CLEANUP,      // the new installation is complete and flushed; removing backups 0..n
    };

    explicit ReplaceJournal(const ustring &app_path);

    static ustring MarkerPath(const ustring &app_path);
    bool Exists() const;
    // STEP_UNKNOWN for a file that is not ours to read.
    Step Read(int &backup) const;
    // Replaces the record atomically and flushes it; 0, or -1 with errno of the failing call.
    int Record(Step step, int backup);
    // 0 when no marker remains (a half-written record goes first), or -1 with errno.
    int Remove();
    // A half-written first record is all a run killed while writing it leaves.
    void RemoveStrayTemporary();

private:
    ustring marker;
};

// Tests stop a replacement at named points to kill the process there; nothing observes
// them in a normal run.
typedef void (*ReplaceStepObserver)(const char *point);
void SetReplaceStepObserver(ReplaceStepObserver observer);
void NotifyReplaceStep(const char *point);

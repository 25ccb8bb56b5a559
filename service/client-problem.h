#pragma once

#include <string>

// What went wrong in a run; None when the step it describes succeeded.
enum class ClientProblem {
    None,
    NoDiskSpace,             // the installation failed for want of space
    DamagedPackage,          // the package could not be read to its end
    CannotWrite,             // the per-user folder refused the new files
    IncompleteInstallation,  // a module of this program, or a library it needs, is missing
    UnfinishedReplacement,   // an interrupted replacement could not be finished
    ClientNotRunnable,       // no client executable, or its start script failed
};

// How a step of the run went wrong, as the step that failed returns it: the kind, the system
// error number saved right at the failing call, the folder concerned and, for space, the figures.
// Empty or 0 where it does not apply.
struct RunProblem {
    ClientProblem kind = ClientProblem::None;
    int error_number = 0;
    std::string folder;       // short of space, not writable, or not allowed to run programs
    long long needed = 0;     // bytes the new copy needs there; 0 when not measured
    long long available = 0;  // bytes free there
    bool noexec = false;      // folder's file system is mounted noexec

    bool failed() const { return kind != ClientProblem::None; }
};

// A problem of this kind alone, with the system error number saved at the failing call if any.
RunProblem ProblemOf(ClientProblem kind, int error_number = 0);

// The problem behind a failed step of writing the per-user copy, from the system error number
// saved at the failing call: want of space, or folder refused the new files.
RunProblem InstallProblem(int error_number, const std::string &folder);

// A few words for the log.
const char *ClientProblemText(ClientProblem problem);

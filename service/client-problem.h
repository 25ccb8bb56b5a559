#pragma once

#include <string>

// Why a run ends without a working per-user client; None when the client was started.
enum class ClientProblem {
    None,
    NoDiskSpace,             // the installation failed for want of space
    DamagedPackage,          // the package could not be read to its end
    CannotWrite,             // the per-user folder refused the new files
    IncompleteInstallation,  // a module of this program, or a library it needs, is missing
    UnfinishedReplacement,   // an interrupted replacement could not be finished
    ClientNotRunnable,       // no client executable, or its start script failed
};

// What the user needs to act on a problem; empty or 0 where it does not apply.
struct ProblemDetail {
    std::string folder;  // the folder short of space, not writable, or not allowed to run programs
    long long needed = 0;     // bytes the new copy needs there; 0 when not measured
    long long available = 0;  // bytes free there
    int start_error = 0;      // system error number of a start script that could not be started
    bool noexec = false;      // folder's file system is mounted noexec
};

// The problem behind a failed installation, from the system error number of the step that
// failed; extracting tells whether that step was reading the package.
ClientProblem InstallProblem(int error_number, bool extracting);

// A few words for the log.
const char *ClientProblemText(ClientProblem problem);

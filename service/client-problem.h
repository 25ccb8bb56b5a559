#pragma once

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

// The problem behind a failed installation, from the system error number of the step that
// failed; extracting tells whether that step was reading the package.
ClientProblem InstallProblem(int error_number, bool extracting);

// A few words for the log.
const char *ClientProblemText(ClientProblem problem);

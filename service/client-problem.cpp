#include "service/client-problem.h"

#include <cerrno>

ClientProblem InstallProblem(int error_number, bool extracting) {
    switch (error_number) {
        case ENOSPC:
        case EDQUOT:
            return ClientProblem::NoDiskSpace;
        case EACCES:
        case EPERM:
        case EROFS:
            return ClientProblem::CannotWrite;
        default:
            return extracting ? ClientProblem::DamagedPackage : ClientProblem::CannotWrite;
    }
}

const char *ClientProblemText(ClientProblem problem) {
    switch (problem) {
        case ClientProblem::None:
            return "client started";
        case ClientProblem::NoDiskSpace:
            return "not enough disk space";
        case ClientProblem::DamagedPackage:
            return "package damaged";
        case ClientProblem::CannotWrite:
            return "per-user folder not writable";
        case ClientProblem::IncompleteInstallation:
            return "launcher installation incomplete";
        case ClientProblem::UnfinishedReplacement:
            return "interrupted replacement not finished";
        case ClientProblem::ClientNotRunnable:
            return "client could not be run";
    }
    return "unknown";
}

#include "service/client-problem.h"

#include <cerrno>

namespace {

ClientProblem KindOf(int error_number, bool extracting) {
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

}  // namespace

RunProblem ProblemOf(ClientProblem kind, int error_number) {
    RunProblem problem;
    problem.kind = kind;
    problem.error_number = error_number;
    return problem;
}

RunProblem InstallProblem(int error_number, bool extracting, const std::string &folder) {
    RunProblem problem = ProblemOf(KindOf(error_number, extracting), error_number);
    if (problem.kind == ClientProblem::CannotWrite)
        problem.folder = folder;
    return problem;
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

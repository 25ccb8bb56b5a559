#include "service/client-problem.h"

#include <cerrno>

namespace {

ClientProblem KindOf(int error_number) {
    return error_number == ENOSPC || error_number == EDQUOT ? ClientProblem::NoDiskSpace
                                                            : ClientProblem::CannotWrite;
}

}  // namespace

RunProblem ProblemOf(ClientProblem kind, int error_number) {
    RunProblem problem;
    problem.kind = kind;
    problem.error_number = error_number;
    return problem;
}

RunProblem InstallProblem(int error_number, const std::string &folder) {
    RunProblem problem = ProblemOf(KindOf(error_number), error_number);
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

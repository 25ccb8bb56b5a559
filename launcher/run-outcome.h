#pragma once

#include <QString>

#include "service/client-problem.h"

// How one run ended, as the worker saw it.
struct RunOutcome {
    bool upgrade_needed = false;
    int upgrade_status = 0;
    ClientProblem problem = ClientProblem::None;
};

// What the user is told when a run leaves no working client.
struct RunNotice {
    QString summary;
    QString body;
};

// The translated notice for a problem other than None; log_path is named in the body.
RunNotice NoticeFor(ClientProblem problem, const QString &log_path);

// The end of a run: its last log line and, when no client was started, a desktop notice.
void ReportRunOutcome(const RunOutcome &outcome);

#pragma once

#include <QString>

#include "service/client-problem.h"

// How one run ended, as the worker saw it.
struct RunOutcome {
    bool upgrade_needed = false;
    bool first_install = false;  // no client executable was in place before the run
    bool repair = false;         // the copy in place was damaged
    RunProblem install;  // why the new copy is not in place; None when it is or none was due
    RunProblem start;    // why no client was started; None when one was
};

// Why the run leaves no client running, None when one runs: a replacement left unfinished, else
// the failed installation behind a missing client, else what the start itself met.
RunProblem WhyNoClient(const RunOutcome &outcome);

// What the user is told when a run leaves no working client or no new copy.
struct RunNotice {
    QString summary;
    QString body;
};

// The translated notice for an outcome with a problem; log_path is named in the body when
// log_written, otherwise the body says that the details went to standard error.
RunNotice NoticeFor(const RunOutcome &outcome, const QString &log_path, bool log_written);

// The end of a run: a desktop notice when the client or the new copy is missing.
void ReportRunOutcome(const RunOutcome &outcome);
// The run's last log line. Called on the GUI thread once the dialog is gone, so that the log
// follows the order of what the user saw.
void LogRunOutcome(const RunOutcome &outcome);

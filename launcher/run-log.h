#pragma once

#include <QString>

#include "service/client-problem.h"

// The first and the last line of a run's story in the log, at INFO.

// The launcher's version, the language code start-up chose, the display platform and the home.
void LogRunStart(const QString &language);
// The outcome in a word or two, what became of the client and the seconds since start-up.
void LogRunEnd(const char *outcome, ClientProblem problem);

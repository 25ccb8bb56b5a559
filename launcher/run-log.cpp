#include "launcher/run-log.h"

#include <QGuiApplication>
#include <chrono>

#include "common/log.h"
#include "service/cloud-service.h"

namespace {

// Taken while the program is loaded, before main: the run's whole duration counts.
const std::chrono::steady_clock::time_point kLoaded = std::chrono::steady_clock::now();

}  // namespace

void LogRunStart(const QString &language) {
    LOX_LOG(INFO, "launcher_debug", "main",
            "launcher %s starting: language %s, display platform %s, home '%s'", LOXEN_VERSION,
            language.toUtf8().constData(), QGuiApplication::platformName().toUtf8().constData(),
            Service::GetUserInstallPath().toUtf8().constData());
}

void LogRunEnd(const char *outcome, ClientProblem problem) {
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - kLoaded;
    LOX_LOG(INFO, "launcher_debug", "launcher", "run ended: %s, %s, %.2f s", outcome,
            ClientProblemText(problem), took.count());
}

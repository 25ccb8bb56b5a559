// Runs the upgrade service once, as the launcher's worker does, against a fake tree:
//   replace_child HOME ROOT LOG STOP
// STOP names the point where the process announces "stopped STOP" on standard output and
// waits to be killed: a replacement point ("backup-renamed", "extracted", "cleanup-recorded",
// "backup-removed"), "extracting" (after the second entry, or the first step of a first
// install), or "none".
// A point may carry "#N" to stop at its N-th occurrence. Without a stop it prints
// "need=N rc=R" (R is -2 when no upgrade ran) and exits with 0.
#include <unistd.h>

#include <QCoreApplication>
#include <QObject>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "common/log.h"
#include "service/linux/linux-service.h"
#include "service/replace-journal.h"
#include "tests/support/fake_install.h"
#include "texts/notify_adapter.h"

namespace {

std::string stop_point;
int stop_occurrence = 1;
int seen = 0;

[[noreturn]] void StopHere(const char *point) {
    std::printf("stopped %s\n", point);
    std::fflush(stdout);
    for (;;) ::pause();
}

void Observe(const char *point) {
    if (stop_point == point && ++seen == stop_occurrence)
        StopHere(point);
}

void ParseStop(const std::string &text) {
    std::string::size_type hash = text.find('#');
    stop_point = text.substr(0, hash);
    if (hash != std::string::npos)
        stop_occurrence = std::atoi(text.c_str() + hash + 1);
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s HOME ROOT LOG STOP\n", argv[0]);
        return 2;
    }
    QCoreApplication app(argc, argv);
    loxtest::FillPathRegistry(argv[1], argv[2]);
    std::string log_dir = argv[3];
    Logger::Initialize(Logger::TYPE_FILE, log_dir + "/child.log", log_dir + "/levels", 50,
                       Logger::SCOPE_THREAD);
    ParseStop(argv[4]);
    SetReplaceStepObserver(Observe);
    QObject::connect(Notify_Adapter::GetInstance(), &Notify_Adapter::sigUpdateProgress,
                     [](int total, int current) {
                         // A first install's steps are the share read, in thousandths.
                         if (stop_point == "extracting" && (current == 2 || total == 1000))
                             StopHere("extracting");
                     });

    LinuxService service;
    service.PreUpgrade();
    bool need = service.IsNeedUpgrade();
    int rc = need ? (service.HandlePackageUpgrade().failed() ? -1 : 0) : -2;
    service.RemoveAgedFolders();
    service.PostUpgrade();
    service.FinishReplacement();
    std::printf("need=%d rc=%d\n", need ? 1 : 0, rc);
    return 0;
}

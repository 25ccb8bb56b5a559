#pragma once

#include "service/cloud-service.h"

// The upgrade policy of Linux: build numbers decide, the per-user client is stopped through
// its pid file and started through its start script.
class LinuxService : public Service {
public:
    // Needs a filled path registry.
    LinuxService();

    // A process-wide instance made on first use; the worker creates its own instead.
    static LinuxService *GetInstace();

    void StopService() override;
    RunProblem HandlePackageUpgrade() override;
    RunProblem PostUpgrade() override;
    void PreUpgrade() override;
    bool IsNeedUpgrade() override;

    void LoadSourceVerInfo();
    void LoadTargetVerInfo();
    bool PerUserBinPathExist();
    // Why no client was started, None when one was.
    RunProblem LaunchPerUserBin();

private:
    // Checks the package before the running client is stopped, then stops it; why the package
    // is refused (logged), None when it was not.
    RunProblem CheckBeforeStop(PackageExtractor &extractor, const ustring &package);
    // What stays as it was when the package is refused before anything changed, for the log.
    const char *NothingChanged();
};

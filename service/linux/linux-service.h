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
    int HandlePackageUpgrade() override;
    int PostUpgrade() override;
    void PreUpgrade() override;
    bool IsNeedUpgrade() override;

    void LoadSourceVerInfo();
    void LoadTargetVerInfo();
    bool PerUserBinPathExist();
    int LaunchPerUserBin();

private:
    // Checks the package before the running client is stopped, then stops it; -1 (the problem
    // recorded and logged) when the package is refused.
    int CheckBeforeStop(PackageExtractor &extractor, const ustring &package);
    // What stays as it was when the package is refused before anything changed, for the log.
    const char *NothingChanged();
    // Records why the new copy was not put in place; always -1.
    int ReplacementFailed(int error_number);
};

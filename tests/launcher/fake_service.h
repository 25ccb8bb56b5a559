#pragma once

#include <QApplication>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "service/cloud-service.h"
#include "tests/support/temp_dir.h"
#include "texts/strtable.h"

namespace loxtest {

// What a FakeService saw. Written on the worker thread, read by the test after the thread joined.
struct ServiceRecord {
    std::vector<std::string> calls;
    bool legacy_app_present_at_post_upgrade = true;
    bool legacy_data_present_at_post_upgrade = false;
};

// A Service that only records the calls of the worker; the legacy folder removal is the
// real one (it is not virtual), so the fake notes what it left behind.
class FakeService : public Service {
public:
    FakeService(std::shared_ptr<ServiceRecord> record, std::string legacy_root)
        : record_(std::move(record)), legacy_root_(std::move(legacy_root)) {}

    bool need_upgrade = false;
    RunProblem upgrade_problem;
    std::function<void()> during_upgrade;  // runs inside HandlePackageUpgrade
    std::function<void()> during_finish;   // runs inside FinishReplacement
    RunProblem start_problem;              // what the start met
    bool start_script_unrunnable = false;  // every PostUpgrade finds it so

    void StopService() override { record_->calls.push_back("StopService"); }
    RunProblem HandlePackageUpgrade() override {
        record_->calls.push_back("HandlePackageUpgrade");
        if (during_upgrade)
            during_upgrade();
        return upgrade_problem;
    }
    RunProblem PostUpgrade() override {
        record_->calls.push_back("PostUpgrade");
        record_->legacy_app_present_at_post_upgrade = PathExists(legacy_root_ + "/app");
        record_->legacy_data_present_at_post_upgrade = PathExists(legacy_root_ + "/data/keep.txt");
        copy_damaged = copy_damaged || start_script_unrunnable;
        return start_problem;
    }
    void FinishReplacement() override {
        record_->calls.push_back("FinishReplacement");
        if (during_finish)
            during_finish();
    }
    void PreUpgrade() override { record_->calls.push_back("PreUpgrade"); }
    bool IsNeedUpgrade() override {
        record_->calls.push_back("IsNeedUpgrade");
        return need_upgrade;
    }

private:
    std::shared_ptr<ServiceRecord> record_;
    std::string legacy_root_;
};

// The one application object of a test process, on the offscreen platform, with the string
// table filled as start-up fills it.
inline QApplication &TestApplication() {
    static int argc = 1;
    static char name[] = "launcher_test";
    static char *argv[] = {name, nullptr};
    static QApplication *app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("QT_FONT_DPI", "96");  // a display factor of 1
        auto *created = new QApplication(argc, argv);
        created->setQuitOnLastWindowClosed(false);
        StrTable::InitStrTable();
        return created;
    }();
    return *app;
}

}  // namespace loxtest

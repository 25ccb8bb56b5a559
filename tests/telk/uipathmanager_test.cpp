#include "telk/uipathmanager.h"

#include <gtest/gtest.h>

#include <QString>
#include <thread>
#include <vector>

namespace {

TEST(UIPathManagerTest, KeyNeverSetGivesTheEmptyString) {
    const QString value = UIPathManager::getInstance()->getPath("user_nimbrel_app_path_never_set");
    EXPECT_TRUE(value.isEmpty());
}

TEST(UIPathManagerTest, ReturnsTheLastValueSetForAKey) {
    UIPathManager *registry = UIPathManager::getInstance();
    registry->setPath("test_path", "/home/ü ser/.BrenthorLoxen");
    registry->setPath("test_other_path", "/opt/x");
    EXPECT_EQ(registry->getPath("test_path"), QStringLiteral("/home/ü ser/.BrenthorLoxen"));
    registry->setPath("test_path", "/srv/home");
    EXPECT_EQ(registry->getPath("test_path"), QStringLiteral("/srv/home"));
    EXPECT_EQ(registry->getPath("test_other_path"), QStringLiteral("/opt/x"));
    EXPECT_TRUE(registry->getPath("TEST_PATH").isEmpty());
}

TEST(UIPathManagerTest, ValuesWrittenBeforeThreadsStartAreSeenByThem) {
    UIPathManager *registry = UIPathManager::getInstance();
    registry->setPath("test_shared_path", "/home/user/.BrenthorLoxen/BrenthorLoxen.app");
    std::vector<QString> seen(4);
    std::vector<std::thread> readers;
    for (QString &slot : seen)
        readers.emplace_back([&slot, registry] { slot = registry->getPath("test_shared_path"); });
    for (std::thread &reader : readers) reader.join();
    for (const QString &value : seen)
        EXPECT_EQ(value, QStringLiteral("/home/user/.BrenthorLoxen/BrenthorLoxen.app"));
}

}  // namespace

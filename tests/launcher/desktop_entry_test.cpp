// The menu entry that `cmake --install` lays out: valid for the desktop, naming the installed
// launcher even under a prefix with a space, with its icon beside it in the icon theme.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/launcher_sandbox.h"
#include "tests/support/temp_dir.h"

namespace {

std::string Quoted(const std::string &text) {
    return "'" + text + "'";
}

TEST(DesktopEntryTest, InstalledEntryIsValidAndStartsTheInstalledLauncher) {
    loxtest::TempDir dir;
    const std::string prefix = dir / "opt/Brenthor Loxen";
    ASSERT_EQ(
        loxtest::RunShell(Quoted(LOXEN_CMAKE_COMMAND) + " --install " + Quoted(LOXEN_BUILD_ROOT) +
                          " --prefix " + Quoted(prefix) + " --component desktop >/dev/null"),
        0);

    const std::string entry = prefix + "/share/applications/brenthor-loxen.desktop";
    EXPECT_EQ(loxtest::RunShell("desktop-file-validate " + Quoted(entry)), 0);

    const std::string text = loxtest::ReadFile(entry);
    EXPECT_NE(text.find("\nExec=\"" + prefix + "/bin/loxen-launcher\"\n"), std::string::npos)
        << text;
    EXPECT_NE(text.find("\nIcon=brenthor-loxen\n"), std::string::npos) << text;
    EXPECT_TRUE(loxtest::PathExists(prefix + "/share/icons/hicolor/72x72/apps/brenthor-loxen.png"));
}

}  // namespace

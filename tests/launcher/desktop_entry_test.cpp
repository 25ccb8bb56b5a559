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
    EXPECT_NE(text.find("\nName=Brenthor Loxen Client\n"), std::string::npos) << "not the title";
    EXPECT_NE(text.find("\nStartupWMClass=brenthor-loxen\n"), std::string::npos) << text;
    for (const char *locale :
         {"cs", "da", "de", "es",    "fr", "hu", "it", "ja", "ko",    "nb",
          "nl", "pl", "pt", "pt_BR", "ru", "sv", "th", "tr", "zh_CN", "zh_TW"}) {
        EXPECT_NE(text.find("\nName[" + std::string(locale) + "]="), std::string::npos) << locale;
        EXPECT_NE(text.find("\nComment[" + std::string(locale) + "]="), std::string::npos)
            << locale;
    }

    // Every size drawn for itself: a PNG's width and height are bytes 16 to 23, big-endian.
    for (int size : {16, 24, 32, 48, 64, 72, 128, 256}) {
        const std::string edge = std::to_string(size);
        const std::string png = loxtest::ReadFile(prefix + "/share/icons/hicolor/" + edge + "x" +
                                                  edge + "/apps/brenthor-loxen.png");
        ASSERT_GE(png.size(), 24u) << edge;
        EXPECT_EQ(static_cast<unsigned char>(png[19]) | static_cast<unsigned char>(png[18]) << 8,
                  size);
        EXPECT_EQ(static_cast<unsigned char>(png[23]) | static_cast<unsigned char>(png[22]) << 8,
                  size);
    }
}

}  // namespace

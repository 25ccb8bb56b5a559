#include "telk/dpiinfo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QString>
#include <cmath>
#include <limits>

namespace {

const QString kSheet = QStringLiteral(
    "QLabel { font-size: 10pt; padding: 4px 6px; border: 1px solid gray; margin: -2px; "
    "image: url(:/icons/arrow_12px.png); } QPushButton { min-width: 80px; font: 9.5pt \"A 12px\"; "
    "}");

TEST(DPIinfoTest, FactorIsTheLogicalResolutionOverNinetySix) {
    EXPECT_DOUBLE_EQ(DPIinfo::scaleFactorForDpi(96.0), 1.0);
    EXPECT_DOUBLE_EQ(DPIinfo::scaleFactorForDpi(120.0), 1.25);
    EXPECT_DOUBLE_EQ(DPIinfo::scaleFactorForDpi(144.0), 1.5);
    EXPECT_DOUBLE_EQ(DPIinfo::scaleFactorForDpi(192.0), 2.0);
}

TEST(DPIinfoTest, ImplausibleResolutionGivesFactorOne) {
    EXPECT_DOUBLE_EQ(DPIinfo::scaleFactorForDpi(0.0), 1.0);
    EXPECT_DOUBLE_EQ(DPIinfo::scaleFactorForDpi(-96.0), 1.0);
    EXPECT_DOUBLE_EQ(DPIinfo::scaleFactorForDpi(10.0), 1.0);
    EXPECT_DOUBLE_EQ(DPIinfo::scaleFactorForDpi(100000.0), 1.0);
    EXPECT_DOUBLE_EQ(DPIinfo::scaleFactorForDpi(std::numeric_limits<double>::quiet_NaN()), 1.0);
    EXPECT_DOUBLE_EQ(DPIinfo::scaleFactorForDpi(std::numeric_limits<double>::infinity()), 1.0);
}

TEST(DPIinfoTest, FactorOneLeavesTheSheetUnchanged) {
    EXPECT_EQ(DPIinfo::scaleStyleSheet(kSheet, 1.0), kSheet);
    const QString dialog =
        QStringLiteral("QProgressDialog { background-color: WhiteSmoke; vertical-align: middle; }");
    EXPECT_EQ(DPIinfo::scaleStyleSheet(dialog, 1.5), dialog);
}

TEST(DPIinfoTest, ScalesPixelAndPointSizesButNotNames) {
    EXPECT_EQ(DPIinfo::scaleStyleSheet(kSheet, 1.5),
              QStringLiteral("QLabel { font-size: 15pt; padding: 6px 9px; border: 2px solid gray; "
                             "margin: -3px; image: url(:/icons/arrow_12px.png); } QPushButton { "
                             "min-width: 120px; font: 14.25pt \"A 12px\"; }"));
    // A thin line stays visible when the screen is small.
    EXPECT_EQ(DPIinfo::scaleStyleSheet(QStringLiteral("border: 1px; width: 10px;"), 0.5),
              QStringLiteral("border: 1px; width: 5px;"));
}

TEST(DPIinfoTest, WithoutAScreenTheFactorIsOne) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    EXPECT_DOUBLE_EQ(DPIinfo::getInstance()->getDPI(), 1.0);
    EXPECT_EQ(DPIinfo::getInstance()->getScaledStyleSheet(kSheet), kSheet);
}

TEST(DPIinfoTest, PrimaryScreenGivesAPlausibleFactor) {
    int argc = 1;
    char name[] = "dpiinfo_test";
    char *argv[] = {name, nullptr};
    QApplication app(argc, argv);
    const double factor = DPIinfo::getInstance()->getDPI();
    EXPECT_GE(factor, 0.5);
    EXPECT_LE(factor, 8.0);
    EXPECT_EQ(DPIinfo::getInstance()->getScaledStyleSheet(kSheet),
              DPIinfo::scaleStyleSheet(kSheet, factor));
}

}  // namespace

#pragma once

#include <QString>

// The display scale of the primary screen and style sheets adapted to it.
class DPIinfo {
public:
    static DPIinfo *getInstance();

    // 1.0 at 96 dots per inch; 1.0 as well with no screen or an implausible answer.
    double getDPI() const;
    // The sheet with every pixel and point size multiplied by getDPI().
    QString getScaledStyleSheet(const QString &styleSheet) const;

    // The factor for a logical resolution in dots per inch, 1.0 when it is implausible.
    static double scaleFactorForDpi(double dotsPerInch);
    // The sheet with every "px" and "pt" size multiplied by factor; unchanged at 1.0.
    static QString scaleStyleSheet(const QString &styleSheet, double factor);

    DPIinfo(const DPIinfo &) = delete;
    DPIinfo &operator=(const DPIinfo &) = delete;

private:
    DPIinfo() = default;
};

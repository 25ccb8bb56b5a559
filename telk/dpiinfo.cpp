#include "telk/dpiinfo.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QScreen>
#include <cmath>

namespace {

constexpr double kBaseDotsPerInch = 96.0;
// Outside this range a screen answer is taken for a driver fault rather than a real display.
constexpr double kMinFactor = 0.5;
constexpr double kMaxFactor = 8.0;

QString ScaledLength(const QString &number, const QString &unit, double factor) {
    const double scaled = number.toDouble() * factor;
    if (unit == QLatin1String("pt"))
        return QString::number(std::round(scaled * 100.0) / 100.0, 'g', 10) + unit;
    // Whole pixels; a visible line stays visible.
    const long pixels = std::lround(scaled);
    return QString::number(pixels == 0 && scaled > 0.0 ? 1 : pixels) + unit;
}

}  // namespace

DPIinfo *DPIinfo::getInstance() {
    static DPIinfo instance;
    return &instance;
}

double DPIinfo::getDPI() const {
    if (qobject_cast<QGuiApplication *>(QCoreApplication::instance()) == nullptr)
        return 1.0;
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return 1.0;
    return scaleFactorForDpi(screen->logicalDotsPerInch());
}

QString DPIinfo::getScaledStyleSheet(const QString &styleSheet) const {
    return scaleStyleSheet(styleSheet, getDPI());
}

double DPIinfo::scaleFactorForDpi(double dotsPerInch) {
    const double factor = dotsPerInch / kBaseDotsPerInch;
    if (!std::isfinite(factor) || factor < kMinFactor || factor > kMaxFactor)
        return 1.0;
    return factor;
}

QString DPIinfo::scaleStyleSheet(const QString &styleSheet, double factor) {
    if (factor == 1.0 || !std::isfinite(factor) || factor <= 0.0)
        return styleSheet;

    // Quoted strings and url(...) are matched first so that names such as "12px.png" stay intact.
    static const QRegularExpression pattern(
        QStringLiteral(R"(url\([^)]*\)|"[^"]*"|'[^']*'|(?<![\w.])(\d+(?:\.\d+)?|\.\d+)(px|pt)\b)"));

    QString result;
    int copied = 0;
    QRegularExpressionMatchIterator it = pattern.globalMatch(styleSheet);
    while (it.hasNext()) {
        const QRegularExpressionMatch match = it.next();
        if (match.capturedStart(1) < 0)
            continue;
        result += styleSheet.midRef(copied, match.capturedStart() - copied);
        result += ScaledLength(match.captured(1), match.captured(2), factor);
        copied = match.capturedEnd();
    }
    result += styleSheet.midRef(copied);
    return result;
}

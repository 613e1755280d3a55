#include "DialogUnits.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>

#include <cstdint>

namespace res {
namespace {

// Windows' MulDiv: a * b / c rounded half away from zero.
int MulDiv(int a, int b, int c)
{
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t half = c / 2;
    return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

}  // namespace

DialogUnits::DialogUnits(int baseX, int baseY)
    : m_nBaseX(baseX)
    , m_nBaseY(baseY)
{
}

DialogUnits DialogUnits::FromFont(const QFont& font)
{
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The same rounding as GdiGetCharDimensions: half the 26-letter average, rounded.
    return DialogUnits((width / 26 + 1) / 2, metrics.height());
}

int DialogUnits::ToPixelsX(int x) const
{
    return MulDiv(x, m_nBaseX, 4);
}

int DialogUnits::ToPixelsY(int y) const
{
    return MulDiv(y, m_nBaseY, 8);
}

QSize DialogUnits::ToPixels(int cx, int cy) const
{
    return QSize(ToPixelsX(cx), ToPixelsY(cy));
}

QRect DialogUnits::ToPixels(const DialogRect& rect) const
{
    return QRect(ToPixelsX(rect.x), ToPixelsY(rect.y), ToPixelsX(rect.cx), ToPixelsY(rect.cy));
}

QFont DialogFont()
{
    for (const char* family : {"SimSun", "宋体"}) {
        if (QFontDatabase::hasFamily(QString::fromUtf8(family))) {
            QFont font(QString::fromUtf8(family));
            font.setPointSize(9);
            return font;
        }
    }
    return QApplication::font();
}

DialogUnits DialogFontUnits()
{
    return DialogUnits::FromFont(DialogFont());
}

}  // namespace res

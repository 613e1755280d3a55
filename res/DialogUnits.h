#pragma once

#include "DialogTemplate.h"

#include <QFont>
#include <QRect>
#include <QSize>

namespace res {

// Converts dialog units to pixels the way the Windows dialog manager does:
// x * baseX / 4 and y * baseY / 8, rounded to the nearest pixel, where baseX
// is the dialog font's average width of "A".."Z" "a".."z" and baseY its
// character height. Each of x, y, width and height is converted on its own.
class DialogUnits {
public:
    DialogUnits(int baseX, int baseY);

    // The base units of `font` on the screen.
    static DialogUnits FromFont(const QFont& font);

    int BaseX() const { return m_nBaseX; }
    int BaseY() const { return m_nBaseY; }

    int ToPixelsX(int x) const;
    int ToPixelsY(int y) const;
    QSize ToPixels(int cx, int cy) const;
    QRect ToPixels(const DialogRect& rect) const;

private:
    int m_nBaseX;
    int m_nBaseY;
};

// The font every template uses: SimSun 9 pt where it is installed, else the
// platform's user-interface font.
QFont DialogFont();

// The base units of DialogFont().
DialogUnits DialogFontUnits();

}  // namespace res

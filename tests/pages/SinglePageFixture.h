#pragma once

// The Single page's fixture, with its fields and the frame's pixels.
#include "SinglePage.h"

#include "PageFixture.h"
#include "ResourceIds.h"
#include "WaitUntil.h"

#include <QCheckBox>
#include <QColor>
#include <QImage>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

class SinglePageTest : public PageFixture<SinglePage, res::IDD_SINGLE> {
protected:
    // A picture of one colour, written as PNG.
    std::string MakePicture(const std::string& name, int width, int height, const QColor& colour) const
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        const std::string path = Path(name);
        EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
        return path;
    }

    void WriteConfig(const std::string& text) const { ASSERT_TRUE(WriteFile(ConfigPath(), text)); }

    QLineEdit* Edit(int id) const { return m_page->GetDlgItemAs<QLineEdit>(id); }
    QCheckBox* Check(int id) const { return m_page->GetDlgItemAs<QCheckBox>(id); }
    // The frame once the preview it asked for has come.
    QImage GrabFrame() const
    {
        Frame()->grab();
        EXPECT_TRUE(WaitUntil([this] { return !m_page->Preview().Waiting(); }));
        return Frame()->grab().toImage();
    }
};

// Colours compared with a little room for the scaler's rounding.
inline bool Near(const QColor& a, const QColor& b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

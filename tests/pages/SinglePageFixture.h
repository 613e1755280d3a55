#pragma once

// A Single page on a shown parent, driven with scripted prompts and run on a
// real conversion engine whose workers are the built tessaglyph-convert.
#include "SinglePage.h"

#include "ConversionEngine.h"
#include "TestEngine.h"
#include "FakePrompts.h"
#include "ResourceIds.h"

#include <QCheckBox>
#include <QColor>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

class SinglePageTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        m_parent.resize(700, 500);
        m_parent.show();
    }

    void TearDown() override
    {
        if (m_page)
            m_page->DestroyWindow();
    }

    std::string Path(const std::string& name) const { return m_dir.filePath(QString::fromStdString(name)).toStdString(); }
    std::string ConfigPath() const { return Path("config.ini"); }

    // Makes the page as the main dialog does, on the given engine.
    void CreatePage(ConversionEngine* engine = &TestEngine())
    {
        if (m_page)
            m_page->DestroyWindow();
        m_services = std::make_unique<PageServices>(PageServices{m_prompts, ConfigPath(), engine});
        m_page = std::make_unique<SinglePage>(*m_services);
        ASSERT_TRUE(m_page->Create(res::IDD_SINGLE, &m_parent));
        m_page->show();
        // Painted only once the window is on screen, as a user sees it.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_parent));
    }

    // A picture of one colour, written as PNG.
    std::string MakePicture(const std::string& name, int width, int height, const QColor& colour) const
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        const std::string path = Path(name);
        EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
        return path;
    }

    void WriteConfig(const std::string& text) const
    {
        FILE* file = std::fopen(ConfigPath().c_str(), "wb");
        ASSERT_NE(file, nullptr);
        std::fputs(text.c_str(), file);
        std::fclose(file);
    }

    QLineEdit* Edit(int id) const { return m_page->GetDlgItemAs<QLineEdit>(id); }
    QCheckBox* Check(int id) const { return m_page->GetDlgItemAs<QCheckBox>(id); }
    QPushButton* Button(int id) const { return m_page->GetDlgItemAs<QPushButton>(id); }
    QWidget* Frame() const { return m_page->GetDlgItem(res::IDC_PREVIEW); }
    QImage GrabFrame() const { return Frame()->grab().toImage(); }

    QTemporaryDir m_dir;
    FakePrompts m_prompts;
    QWidget m_parent;
    std::unique_ptr<PageServices> m_services;
    std::unique_ptr<SinglePage> m_page;
};

// Colours compared with a little room for the scaler's rounding.
inline bool Near(const QColor& a, const QColor& b, int tolerance = 3)
{
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

#pragma once

// A page on a shown parent, driven with scripted prompts and run on a real
// conversion engine whose workers are the built tessaglyph-convert.
#include "ConversionEngine.h"
#include "FakePrompts.h"
#include "PageServices.h"
#include "ResourceIds.h"
#include "ScratchFolder.h"
#include "TestEngine.h"

#include <QPushButton>
#include <QString>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

template <typename Page, int DialogId, typename Prompts = FakePrompts>
class PageFixture : public testing::Test {
protected:
    void SetUp() override
    {
        m_parent.resize(700, 500);
        m_parent.show();
    }

    void TearDown() override
    {
        if (m_page)
            m_page->DestroyWindow();
    }

    std::string Path(const std::string& name) const { return m_dir / name; }
    std::string ConfigPath() const { return Path("config.ini"); }

    // Makes the page as the main dialog does, on the given engine.
    void CreatePage(ConversionEngine* engine = &TestEngine())
    {
        if (m_page)
            m_page->DestroyWindow();
        m_services = std::make_unique<PageServices>(PageServices{m_prompts, ConfigPath(), engine});
        m_page = std::make_unique<Page>(*m_services);
        ASSERT_TRUE(m_page->Create(DialogId, &m_parent));
        m_page->show();
        // Painted only once the window is on screen, as a user sees it.
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_parent));
    }

    // The names in the folder "out" (where the convert tests write), sorted.
    std::vector<std::string> OutFiles() const { return EntryNames(Path("out")); }

    QPushButton* Button(int id) const { return m_page->template GetDlgItemAs<QPushButton>(id); }
    QWidget* Frame() const { return m_page->GetDlgItem(res::IDC_PREVIEW); }

    ScratchFolder m_dir;
    Prompts m_prompts;
    QWidget m_parent;
    std::unique_ptr<PageServices> m_services;
    std::unique_ptr<Page> m_page;
};

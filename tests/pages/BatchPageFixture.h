#pragma once

// The Batch page's fixture, with its list, its settings file and an engine
// whose worker hangs on request.
#include "BatchPage.h"

#include "ConversionEngine.h"
#include "FakePrompts.h"
#include "PageFixture.h"
#include "ResourceIds.h"
#include "ScratchFolder.h"
#include "TestEngine.h"
#include "WaitUntil.h"

#include <QColor>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QListView>
#include <QProgressBar>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

// One conversion worker that hangs on any file whose name holds "hang" and
// is killed after a second: a run is then surely still going when a test
// stops it or closes the window.
inline ConversionEngine& HangingTestEngine()
{
    static ConversionEngine engine([] {
        EngineOptions options = HookedWorkerOptions(1);
        options.jobTimeLimit = std::chrono::seconds(1);
        return options;
    }());
    return engine;
}

// FakePrompts that also calls `onMessage` when a message is shown, so a test
// can look at the page at that moment.
class WatchingPrompts : public FakePrompts {
public:
    std::function<void(const std::string&)> onMessage;

    void ShowMessage(QWidget* owner, const std::string& text, MessageIcon icon = MessageIcon::None) override
    {
        if (onMessage)
            onMessage(text);
        FakePrompts::ShowMessage(owner, text, icon);
    }
};

class BatchPageTest : public PageFixture<BatchPage, res::IDD_BATCH, WatchingPrompts> {
protected:
    // A file with a few bytes that are no picture, its folders made first.
    std::string Touch(const std::string& name) const
    {
        const std::string path = Path(name);
        EXPECT_TRUE(WriteFile(path, "not a picture")) << path;
        return path;
    }

    // A picture of one colour, written as PNG whatever its name.
    std::string MakePicture(const std::string& name, const QColor& colour, int width = 40, int height = 30) const
    {
        const std::string path = Path(name);
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(colour);
        EXPECT_TRUE(image.save(QString::fromStdString(path), "PNG"));
        return path;
    }

    void WriteConfig(const std::string& text) const { WriteFile(ConfigPath(), text); }

    std::string ReadConfig() const { return ReadFile(ConfigPath()); }

    // The settings file's lines, without their line ends.
    std::vector<std::string> ConfigLines() const
    {
        std::vector<std::string> lines;
        std::istringstream in(ReadConfig());
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            lines.push_back(line);
        }
        return lines;
    }

    bool ConfigHasLine(const std::string& line) const
    {
        const std::vector<std::string> lines = ConfigLines();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }

    // The user adds these files with AddFile, one after the other.
    void AddFiles(const std::vector<std::string>& paths)
    {
        for (const std::string& path : paths) {
            m_prompts.openFileAnswers.push_back(path);
            Button(res::IDC_ADD_FILE)->click();
        }
    }

    // The user picks `folder` in AddFolder; waits for the scan to end.
    bool AddFolder(const std::string& folder)
    {
        m_prompts.folderAnswers.push_back(folder);
        Button(res::IDC_ADD_FOLDER)->click();
        return WaitUntil([this] { return !m_page->IsScanning(); }, 30000);
    }

    bool WaitForRunEnd() const
    {
        return WaitUntil([this] { return !m_page->IsConverting(); }, 30000);
    }

    std::vector<std::string> Listed() const { return m_page->FileList().Entries(); }

    // What the list view shows, top to bottom.
    std::vector<std::string> Shown() const
    {
        std::vector<std::string> rows;
        QAbstractItemModel* model = m_page->FileListView()->model();
        for (int row = 0; row < model->rowCount(); ++row)
            rows.push_back(model->index(row, 0).data().toString().toStdString());
        return rows;
    }

    void Select(const std::string& path)
    {
        QListView* view = m_page->FileListView();
        const auto row = m_page->FileList().IndexOf(path);
        ASSERT_TRUE(row.has_value()) << path;
        view->setCurrentIndex(view->model()->index(static_cast<int>(*row), 0));
    }

    std::vector<std::string> Messages() const
    {
        std::vector<std::string> texts;
        for (const FakePrompts::Message& m : m_prompts.messages)
            texts.push_back(m.text);
        return texts;
    }

    QLineEdit* OutDirEdit() const { return m_page->GetDlgItemAs<QLineEdit>(res::IDC_OUT_DIR); }
    QComboBox* Combo() const { return m_page->GetDlgItemAs<QComboBox>(res::IDC_OUT_TYPE); }
    QProgressBar* Bar() const { return m_page->GetDlgItemAs<QProgressBar>(res::IDC_PROGRESS); }

    // The colour in the middle of the preview frame, once it has repainted.
    QColor PreviewCentre() const
    {
        const QImage image = Frame()->grab().toImage();
        return image.pixelColor(image.width() / 2, image.height() / 2);
    }
};

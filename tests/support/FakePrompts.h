#pragma once

// IPrompts for tests: answers from queues the test fills, and records every
// question. An empty queue answers like a user who cancels.
#include "Prompts.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

class FakePrompts : public IPrompts {
public:
    struct Message {
        std::string text;
        MessageIcon icon;
    };

    // Next answers of OpenPictureFile and BrowseForFolder; nullopt = cancel.
    // OpenPictureFiles takes from openFilesAnswers while it holds any, else
    // one answer of openFileAnswers (one file, or cancel).
    std::deque<std::optional<std::string>> openFileAnswers;
    std::deque<std::vector<std::string>> openFilesAnswers;
    std::deque<std::optional<std::string>> folderAnswers;

    // What was asked.
    int openFileCalls = 0;
    std::vector<std::string> folderInitialFolders;
    std::vector<Message> messages;

    std::optional<std::string> OpenPictureFile(QWidget* /*owner*/, const std::string& /*nearFile*/) override
    {
        ++openFileCalls;
        return Next(openFileAnswers);
    }

    std::vector<std::string> OpenPictureFiles(QWidget* /*owner*/, const std::string& /*nearFile*/) override
    {
        ++openFileCalls;
        if (!openFilesAnswers.empty()) {
            std::vector<std::string> answer = openFilesAnswers.front();
            openFilesAnswers.pop_front();
            return answer;
        }
        if (std::optional<std::string> one = Next(openFileAnswers))
            return {*one};
        return {};
    }

    std::optional<std::string> BrowseForFolder(QWidget* /*owner*/, const std::string& initialFolder) override
    {
        folderInitialFolders.push_back(initialFolder);
        return Next(folderAnswers);
    }

    void ShowMessage(QWidget* /*owner*/, const std::string& text, MessageIcon icon = MessageIcon::None) override
    {
        messages.push_back({text, icon});
    }

private:
    static std::optional<std::string> Next(std::deque<std::optional<std::string>>& answers)
    {
        if (answers.empty())
            return std::nullopt;
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

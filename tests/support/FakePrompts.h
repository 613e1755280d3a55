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
    std::deque<std::optional<std::string>> openFileAnswers;
    std::deque<std::optional<std::string>> folderAnswers;

    // What was asked.
    int openFileCalls = 0;
    std::vector<std::string> folderInitialFolders;
    std::vector<Message> messages;

    std::optional<std::string> OpenPictureFile(QWidget* /*owner*/) override
    {
        ++openFileCalls;
        return Next(openFileAnswers);
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

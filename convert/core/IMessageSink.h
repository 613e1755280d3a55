#pragma once

#include <string>

// Where a conversion's one message goes: a message box on a page, a line on
// the console, a recording in a test.
class IMessageSink {
public:
    virtual ~IMessageSink() = default;
    // Called on the thread that runs the conversion step that shows it.
    virtual void ShowMessage(const std::string& text) = 0;
};

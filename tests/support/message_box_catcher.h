#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Answers every message box this thread opens while the catcher lives: reads
// its caption and text, then presses OK through the box's own modal loop, so
// a test needs no second thread and no waiting.
class MessageBoxCatcher {
public:
    struct Report {
        std::wstring caption;
        std::wstring text;
        // The shared system icon the box shows (IDI_WARNING, IDI_HAND, …).
        HICON icon;
    };

    MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;
    ~MessageBoxCatcher();

    const std::vector<Report>& boxes() const { return boxes_; }
    void clear() { boxes_.clear(); }

private:
    static LRESULT CALLBACK afterMessage(int code, WPARAM wParam, LPARAM lParam);

    HHOOK hook_ = nullptr;
    std::vector<Report> boxes_;
};

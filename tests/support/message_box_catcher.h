#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

// Answers every message box this thread opens while the catcher lives: reads
// its caption and text, then presses `answer` (OK unless told otherwise)
// through the box's own modal loop, so a test needs no second thread and no
// waiting.
class MessageBoxCatcher {
public:
    struct Report {
        std::wstring caption;
        std::wstring text;
        // The shared system icon the box shows (IDI_WARNING, IDI_HAND, …).
        HICON icon;
    };

    explicit MessageBoxCatcher(int answer = IDOK);
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;
    ~MessageBoxCatcher();

    const std::vector<Report>& boxes() const { return boxes_; }
    void clear() { boxes_.clear(); }

    // Runs once a box is up, inside its modal loop, before it is answered.
    std::function<void()> whileShown;

private:
    static LRESULT CALLBACK afterMessage(int code, WPARAM wParam, LPARAM lParam);

    HHOOK hook_ = nullptr;
    int answer_;
    std::vector<Report> boxes_;
};

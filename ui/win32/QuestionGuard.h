#pragma once
#include <windows.h>

#include "platform/win32/unique_handles.h"
#include "ui/AnswerDelay.h"

namespace ui {

// While it lives, the next dialog box this thread makes (the question's
// message box) answers nothing, by key or by click, until it has been the
// foreground window for half a second, and again each time it comes back to
// the front: its buttons show disabled meanwhile. They have no access keys,
// so no letter ever answers. A hook sees the box made, subclasses it and
// goes at once: nothing runs for each message of the box's loop.
class QuestionGuard {
public:
    QuestionGuard();
    ~QuestionGuard();
    QuestionGuard(const QuestionGuard&) = delete;
    QuestionGuard& operator=(const QuestionGuard&) = delete;

private:
    static LRESULT CALLBACK onCreation(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK boxProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam);
    static void CALLBACK onForeground(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD);

    static QuestionGuard& guardOf(HWND box);
    void adopt(HWND box);
    LRESULT onInitDialog(WPARAM wParam, LPARAM lParam);
    void onActivation(bool active);
    LRESULT onNcDestroy(WPARAM wParam, LPARAM lParam);
    void see(AnswerDelay::Seen seen);
    void look(bool reportedInFront = false);
    bool answerable() const;

    HWND box_ = nullptr;
    WNDPROC boxDefault_ = nullptr;
    AnswerDelay delay_;
    bool made_ = false; // the box has made its buttons and chosen their captions
    QuestionGuard* outer_;
    platform::unique_hhook creation_;
    platform::unique_hwinevent foreground_;
};

} // namespace ui

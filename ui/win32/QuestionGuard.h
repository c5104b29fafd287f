#pragma once
#include <windows.h>

#include "platform/win32/unique_handles.h"
#include "ui/AnswerDelay.h"

namespace ui {

// While it lives, the next dialog box this thread makes (the question's
// message box) answers nothing, by key or by click, until it has been the
// foreground window for half a second and half a second has passed without a
// key or click (AnswerDelay), and again each time it comes back to the front
// or the session is unlocked: its buttons show disabled meanwhile. They have
// no access keys, so no letter ever answers. A hook sees the box made,
// subclasses it and goes at once; two more see the thread's keys and mouse
// buttons, and nothing else: nothing runs for each message of the box's loop.
class QuestionGuard {
public:
    QuestionGuard();
    ~QuestionGuard();
    QuestionGuard(const QuestionGuard&) = delete;
    QuestionGuard& operator=(const QuestionGuard&) = delete;

    // Whether every hook is set: without them the box must not be shown,
    // since it would take a click or a key at once.
    bool ready() const { return creation_ && keys_ && buttons_; }
    // Sets and removes every hook once: a program's first hooks cost more
    // than later ones.
    static void prepare();

private:
    static LRESULT CALLBACK onCreation(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK boxProc(HWND box, UINT msg, WPARAM wParam, LPARAM lParam);
    static void CALLBACK onForeground(HWINEVENTHOOK, DWORD, HWND window, LONG, LONG, DWORD, DWORD);
    static LRESULT CALLBACK onKey(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK onMouse(int code, WPARAM wParam, LPARAM lParam);

    static QuestionGuard& guardOf(HWND box);
    void adopt(HWND box);
    LRESULT onInitDialog(WPARAM wParam, LPARAM lParam);
    void onActivation(bool active);
    LRESULT onNcDestroy(WPARAM wParam, LPARAM lParam);
    void onSessionChange(WPARAM change);
    void see(AnswerDelay::Seen seen);
    void input();
    void show();
    void look(bool reportedInFront = false);
    bool answerable() const;

    HWND box_ = nullptr;
    WNDPROC boxDefault_ = nullptr;
    AnswerDelay delay_;
    bool made_ = false; // the box has made its buttons and chosen their captions
    QuestionGuard* outer_;
    platform::unique_hhook creation_, keys_, buttons_;
    platform::unique_hwinevent foreground_;
};

} // namespace ui

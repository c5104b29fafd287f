#pragma once
// Fakes of the window system: they record what the logic asked for and let a
// test act from inside a modal box or menu, where the real event loop would.
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Launcher.h"
#include "platform/NotifyIcon.h"
#include "platform/Stacking.h"
#include "ui/Caption.h"
#include "ui/Dialogs.h"
#include "ui/PopupMenu.h"
#include "ui/Timer.h"
#include "ui/Window.h"

struct FakeCaption : ui::Caption {
    explicit FakeCaption(std::wstring initial = {}) : text(std::move(initial)) {}
    std::wstring caption() const override { return text; }
    void setCaption(const std::wstring& t) override {
        text = t;
        ++sets;
    }
    std::wstring text;
    int sets = 0;
};

struct FakeTimer : ui::Timer {
    explicit FakeTimer(bool initially = true) : on(initially) {}
    bool enabled() const override { return on; }
    void setEnabled(bool b) override { on = b; }
    void requestTick() override { requested += on; }
    void requestTickAfter(std::chrono::milliseconds d) override { delayed = d; }
    bool on;
    int requested = 0;
    std::optional<std::chrono::milliseconds> delayed;
};

// Time moves only when a test moves it.
struct FakeClock : platform::Clock {
    std::chrono::milliseconds now() const override { return at; }
    std::chrono::milliseconds at{1000};
};

struct ScriptedDialogs : ui::Dialogs {
    struct Box {
        std::wstring kind, text, title;
    };
    ui::Answer askYesNo(const std::wstring& text, const std::wstring& title) override {
        shown.push_back({L"question", text, title});
        if (whileAsking) whileAsking();
        ui::Answer a = answers.empty() ? ui::Answer::No : answers.front();
        if (!answers.empty()) answers.pop_front();
        return a;
    }
    bool questionFits(const std::wstring& text) const override { return !fits || fits(text); }
    void inform(const std::wstring& text, const std::wstring& title) override {
        shown.push_back({L"information", text, title});
        if (whileInforming) whileInforming();
    }
    void warn(const std::wstring& text, const std::wstring& title) override { shown.push_back({L"warning", text, title}); }
    std::wstring inputBox(const std::wstring& prompt, const std::wstring& title, const std::wstring& initial) override {
        shown.push_back({L"input", prompt, title});
        inputInitial = initial;
        if (whileInput) whileInput();
        return typed;
    }
    std::deque<ui::Answer> answers;
    std::function<void()> whileAsking, whileInforming, whileInput;
    std::function<bool(const std::wstring&)> fits; // every question fits when unset
    std::vector<Box> shown;
    std::wstring typed, inputInitial;
    size_t questions() const {
        size_t n = 0;
        for (const auto& b : shown) n += b.kind == L"question";
        return n;
    }
};

struct FakeWindow : ui::Window {
    void show() override {
        visible = true;
        ++shows;
        log.push_back(L"show");
    }
    void hide() override {
        visible = false;
        log.push_back(L"hide");
    }
    void unload() override {
        unloaded = true;
        visible = false;
        log.push_back(L"unload");
    }
    ui::NativeWindow handle() const override { return reinterpret_cast<ui::NativeWindow>(0x1234); }
    bool visible = true;
    bool unloaded = false;
    int shows = 0;
    std::vector<std::wstring> log;
};

struct FakeProgram : ui::Program {
    void end() override { ++ends; }
    std::wstring directory() const override { return L"C:\\Program Files\\Varnok"; }
    int ends = 0;
};

struct FakePopupMenu : ui::PopupMenu {
    ui::MenuEntry track() override {
        ++opened;
        ++openNow;
        if (whileOpen) whileOpen();
        --openNow;
        return choice;
    }
    ui::MenuEntry choice = ui::MenuEntry::None;
    std::function<void()> whileOpen;
    int opened = 0;
    int openNow = 0;
};

struct FakeStacking : platform::Stacking {
    void makeTopmost(ui::NativeWindow w) override { topmost.push_back(w); }
    std::vector<ui::NativeWindow> topmost;
};

struct FakeNotifyIcon : platform::NotifyIcon {
    bool add(const std::wstring& t) override {
        tip = t;
        ++adds;
        bool ok = results.empty() ? true : results.front();
        if (!results.empty()) results.pop_front();
        present = present || ok;
        return ok;
    }
    void remove() override {
        ++removes;
        present = false;
    }
    std::deque<bool> results;
    std::wstring tip;
    int adds = 0, removes = 0;
    bool present = false;
};

struct FakeLauncher : platform::Launcher {
    struct Call {
        ui::NativeWindow owner;
        std::wstring operation, file, parameters, directory;
        int show;
    };
    void shellExecute(ui::NativeWindow owner, const std::wstring& operation, const std::wstring& file,
                      const std::wstring& parameters, const std::wstring& directory, int show) override {
        calls.push_back({owner, operation, file, parameters, directory, show});
    }
    std::vector<Call> calls;
};

#pragma once
#include "platform/Launcher.h"
#include "ui/Window.h"
#include "varnok_version.h"

namespace about {

inline constexpr wchar_t kVersionLine[] = L"Varnok v" VARNOK_VERSION_W L" ( July 8th 2002 )";
inline constexpr wchar_t kCreditLine[] = L"By Corvane";
inline constexpr wchar_t kAddress[] = L"varnok@example.org";
inline constexpr wchar_t kMailSubject[] = L"subject = Varnok v" VARNOK_VERSION_W;
inline constexpr int kShowNormal = 1;

// The about box's behaviour: its contact link starts a new mail message.
class Form2 {
public:
    Form2(const ui::Window& window, const ui::Program& program, platform::Launcher& launcher)
        : window_(window), program_(program), launcher_(launcher) {}

    void Label3_Click();

private:
    const ui::Window& window_;
    const ui::Program& program_;
    platform::Launcher& launcher_;
};

} // namespace about

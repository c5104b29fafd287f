#!/usr/bin/env bash
# Makes the README's screenshots from the real program under Xvfb, so they
# show what the current build shows.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh imagemagick
cmake --preset windows >/dev/null
cmake --build --preset windows --target varnok screenshot_driver
out="$PWD/docs/screenshots"
mkdir -p "$out"

scripts/with-wine.sh bash -c '
    set -euo pipefail
    out=$1
    exe=build/windows/app/varnok.exe
    drive() { wine build/windows/app/screenshot_driver.exe "$1"; sleep 1; }
    # Crop to what is on screen, with a margin.
    shot() { import -window root "$out/$1.png"; convert "$out/$1.png" -trim -bordercolor black -border 8 "$out/$1.png"; }
    wine reg add "HKCU\\Software\\Microsoft\\Internet Explorer\\Main" /v "Start Page" /d "http://www.example.org/" /f >/dev/null
    wine "$exe" & sleep 3
    drive show;   shot main-window
    drive change; shot question
    drive close
    drive menu;   shot tray-menu
    drive about;  shot about-window
    drive close
    wineserver -k
    # Both windows again at 150 %: Wine reads the scale when a program starts.
    for key in "HKCU\\Control Panel\\Desktop" \
               "HKLM\\System\\CurrentControlSet\\Hardware Profiles\\Current\\Software\\Fonts"; do
        wine reg add "$key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null
    done
    wine "$exe" & sleep 3
    drive show;   shot main-window-150
    drive menu
    drive about;  shot about-window-150
    drive close
    wineserver -k
' _ "$out"
ls -l "$out"

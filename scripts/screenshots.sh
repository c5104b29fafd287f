#!/usr/bin/env bash
# Makes the README's screenshots from the real program under Xvfb, so they
# show what the current build shows: all under the host's Wine, and those at
# 150 % also under Wine 10 (scripts/with-wine10.sh), where a scale changed
# while the session runs draws the frame at the new scale.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh imagemagick
cmake --preset windows >/dev/null
cmake --build --preset windows --target varnok screenshot_driver
out="$PWD/docs/screenshots"
# In the work tree, which the Wine 10 root sees at the same path.
raw="$PWD/build/windows/screenshots"
rm -rf "$raw"
mkdir -p "$out" "$raw"

# Under with-wine.sh: $1 the folder for the BMPs, $2 a suffix for their
# names (under Wine 10 only the shots at 150 % are made).
session='
    set -euo pipefail
    raw=$1 suffix=$2
    exe=build/windows/app/varnok.exe
    drive() { wine build/windows/app/screenshot_driver.exe "$@"; sleep 1; }
    shot() { drive shot "Z:${raw//\//\\}\\$1$suffix.bmp"; }
    wine reg add "HKCU\\Software\\Microsoft\\Internet Explorer\\Main" /v "Start Page" /d "http://www.example.org/" /f >/dev/null
    wine "$exe" & varnok=$!
    sleep 3
    if [ -z "$suffix" ]; then
        drive show;   shot main-window
        drive change; shot question
        drive close
        drive menu;   shot tray-menu
        drive about;  shot about-window
        drive close
    fi
    # Both windows again at 150 %, the scale changed while the session, its
    # desktop up at 100 %, runs on; Varnok started anew.
    drive hold &
    drive exit
    wait "$varnok"
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
'
scripts/with-wine.sh bash -c "$session" _ "$raw" ""
scripts/with-wine10.sh bash -c "$session" _ "$raw" -wine10

# Cropped to what is on screen, with a margin.
for f in "$raw"/*.bmp; do
    convert "$f" -trim -bordercolor black -border 8 "$out/$(basename "${f%.bmp}").png"
done
ls -l "$out"

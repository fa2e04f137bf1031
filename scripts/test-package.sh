#!/usr/bin/env bash
# The Debian package as a user gets it: builds it (the package preset, a release build
# without the tests), installs it with apt-get, checks its dependencies and files, starts
# the installed `plinkaro` from PATH in a private X server with a song named as a file
# manager's "Open with" names it, checks the window, a lit key after F5 and an installed
# skin after F6, closes it (exit code 0) and removes the package again.
set -euo pipefail
cd "$(dirname "$0")/.."

as_root() { if [[ $(id -u) -eq 0 ]]; then "$@"; else sudo "$@"; fi; }

bash scripts/install-deps.sh
cmake --preset package >/dev/null
cmake --build --preset package -j"$(nproc)"
rm -f build/package/plinkaro_*.deb
cpack --preset deb >/dev/null
DEB=$(ls "$PWD"/build/package/plinkaro_*.deb)
cmake --preset debug >/dev/null
cmake --build --preset debug -j"$(nproc)" --target x_input song_e2e_tool
X_INPUT=$PWD/build/debug/tests/e2e/x_input

source tests/e2e/lib.sh
trap 'as_root apt-get remove -y -qq --purge plinkaro >/dev/null 2>&1 || true; e2e_cleanup' EXIT

echo "# $(basename "$DEB")"
DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq "$DEB" >"$E2E_WORK/apt.log" 2>&1
check "the installed program is on PATH" "$(command -v plinkaro)" /usr/bin/plinkaro
depends=$(dpkg-query -W -f='${Depends}' plinkaro)
for package in libsdl2-2.0-0 libfluidsynth3 libx11-6 fluid-soundfont-gm fonts-ipafont-gothic \
  fonts-dejavu-core; do
  check "it depends on $package" "$(grep -c "\b$package\b" <<<"$depends")" 1
done
ID=org.plinkaro.Plinkaro
for file in /usr/share/applications/$ID.desktop /usr/share/metainfo/$ID.metainfo.xml \
  /usr/share/icons/hicolor/{32x32,48x48,256x256}/apps/$ID.png /usr/share/man/man1/plinkaro.1.gz \
  /usr/share/plinkaro/skins/{dark,high-contrast}.bmp; do
  check "it installs $file" "$(dpkg -L plinkaro | grep -cx "$file")" 1
done

echo "# the installed program opens a song as \"Open with\" does"
start_x
mkdir "$E2E_WORK/songs"
build/debug/tests/e2e/song_e2e_tool write "$E2E_WORK/songs"
start_plinkaro plinkaro "$E2E_WORK/songs/song.mid"
lavender() {
  shoot
  convert "$E2E_WORK/shot.png" -fill black +opaque 'rgb(192,192,255)' -fill white \
    -opaque 'rgb(192,192,255)' -format '%[fx:round(mean*w*h)]' info:
}
check "no key is lit before F5" "$(lavender)" 0
xdotool key F5
lit() { (($(lavender) > 0)); }
check "F5 plays the song and lights keys" "$(within 5 lit && echo lit)" lit
xdotool key F1 F6
settle 0.3
shoot
check_pixel "F6 brings the installed dark skin" 8 42 96,100,112
close_plinkaro "$X_INPUT"

as_root apt-get remove -y -qq --purge plinkaro >"$E2E_WORK/apt.log" 2>&1
check "the package is removed" "$(command -v plinkaro || true)" ""
finish

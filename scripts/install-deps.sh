#!/usr/bin/env bash
# Installs the Debian 12 packages that Plinkaro needs to build, run and test, when any
# is missing. Needs root (or sudo) only when something has to be installed.
set -euo pipefail

packages=(
  # build
  cmake ninja-build g++ clang clang-format pkg-config
  libsdl2-dev libfreetype-dev libfontconfig-dev libfluidsynth-dev librtmidi-dev libjack-jackd2-dev
  libpulse-dev   libx11-dev libpng-dev libsystemd-dev
  # run: the General MIDI soundfont, the Japanese gothic font and the dialog face
  fluid-soundfont-gm fonts-ipafont-gothic fonts-dejavu-core
  # tests, sanitizers, benchmarks, the Windows cross-build and the end-to-end tests
  googletest libgtest-dev libgmock-dev libbenchmark-dev libclang-rt-14-dev
  g++-mingw-w64-i686 mingw-w64-i686-dev g++-mingw-w64-x86-64 mingw-w64-x86-64-dev nsis
  xvfb openbox xdotool x11-xkb-utils x11-utils imagemagick sox libxtst-dev libsndfile1-dev libasound2-dev
  # the playback benchmark's floor: cyclictest
  rt-tests
  # the MIDI port tests: a JACK server with the dummy driver, and jack_lsp
  jackd2
  # an independent Standard MIDI File reader for the recording's end-to-end test
  python3-mido
  # parec, which records the null sink in the sound server's end-to-end test
  pulseaudio-utils
  # the desktop portal's dialogs and RealtimeKit: a private bus and stand-ins for both services
  dbus-daemon python3-dbus python3-gi
  # the desktop files' checks and the Debian package
  desktop-file-utils appstream dpkg-dev
)

# The PulseAudio tests start a private server of their own (tests/pulse_server.sh). A
# desktop's own sound server stays: where PipeWire's PulseAudio service is installed, the
# tests start private instances of it (with a session manager), and pulseaudio is asked
# for only where no PulseAudio server is installed.
installed() { [[ $(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) == "install ok installed" ]]; }
if command -v pipewire-pulse >/dev/null; then
  command -v wireplumber >/dev/null || command -v pipewire-media-session >/dev/null ||
    packages+=(wireplumber)
elif ! command -v pulseaudio >/dev/null; then
  packages+=(pulseaudio)
fi

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done

if ((${#missing[@]} == 0)); then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo=""
if [[ $(id -u) -ne 0 ]]; then
  command -v sudo >/dev/null || { echo "Run as root to install: ${missing[*]}" >&2; exit 1; }
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
# jackd2 asks whether JACK may run with real-time priority; the tests do not need it.
echo "jackd2 jackd/tweak_rt_limits boolean false" | $sudo debconf-set-selections
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"

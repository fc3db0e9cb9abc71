#!/usr/bin/env bash
# Installs what building and testing need on Debian 12 (skips the install when all is there).
set -euo pipefail
# fonts-ipaexfont-gothic draws what DejaVu lacks: the full-width signs of the programs' own
# texts and Japanese names, group names and messages. trayer (a system tray) and xdotool (real
# pointer presses) serve the desktop check.
packages=(build-essential cmake ninja-build qt6-base-dev qt6-base-dev-tools libgtest-dev
          libgl-dev fonts-dejavu-core fonts-ipaexfont-gothic xvfb openbox trayer xdotool)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi

#!/usr/bin/env bash
# Installs every Debian package the build, the program and the tests need.
# Safe to run again: apt-get skips what is already installed.
set -euo pipefail
pkgs=(build-essential cmake ninja-build pkg-config ccache
      libsqlcipher-dev sqlcipher
      qt6-base-dev qt6-base-dev-tools qt6-translations-l10n libgl-dev
      libgtest-dev libgmock-dev libbenchmark-dev
      fonts-liberation xvfb xdotool x11-utils poppler-utils)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
      echo "setup.sh: missing packages: ${missing[*]}" >&2
      echo "setup.sh: not root and no sudo here; as root, run:" >&2
      echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
      echo "then run this command again." >&2
      exit 1
    fi
    SUDO="sudo"
  fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

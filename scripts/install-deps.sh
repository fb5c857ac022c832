#!/usr/bin/env bash
# Installs the Debian 12 packages that building and testing tq1 needs, when they are missing.
# Used by both `make run` and `make test`; does nothing when everything is present.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth
  # python3 for the format check and the command-line tests, man and groff for the manual pages.
  python3 man-db groff-base
  # Qt's own Russian texts (standard buttons, file dialogs), and the desktop test's window
  # manager, notification area and X tools.
  qt6-translations-l10n
  openbox trayer xdotool x11-utils
  # Validators, the MIME database tool and what CPack needs for dpkg-shlibdeps (install tests).
  desktop-file-utils appstream shared-mime-info dpkg-dev file
)
# Optional extras: the benchmark script compares against cjpeg/djpeg; the fuzz targets need clang.
if [ "${TQ1_WITH_EXTRAS:-0}" = 1 ]; then
  packages+=(libjpeg-turbo-progs clang libclang-rt-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing missing packages: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo_cmd=(sudo)
  else
    echo "error: packages missing (${missing[*]}) and not running as root; install them and retry" >&2
    exit 1
  fi
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian 12 packages Kestro needs to build and test, when any is missing.
# Only this step needs root: as another user it asks sudo for it.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libicu-dev
          qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev fonts-dejavu-core
          desktop-file-utils appstream shared-mime-info libxml2-utils groff-base dpkg-dev file
          qt6-charts-dev libqt6opengl6-dev qt6-svg-dev libphonenumber-dev
          libexpat1-dev libsqlite3-dev libplist-dev libxxhash-dev)
packages+=(libssl-dev)  # OpenSSL's libcrypto: the SHA-256 names of the MMS media files
packages+=(fonts-symbola)  # the emoji of the PDF export and printing, a font the PDF can embed
packages+=(poppler-utils python3)  # the export tests read PDFs (pdftotext) and CSV/HTML (python3)
packages+=(lintian)
packages+=(clang libclang-rt-14-dev)  # the libFuzzer programs of the test command
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then
  if ! command -v sudo >/dev/null 2>&1; then
    echo "Installing these packages needs root, and sudo is not installed: run" >&2
    echo "  su -c 'bash $(realpath "$0")'" >&2
    echo "once, then this command again as yourself." >&2
    exit 1
  fi
  as_root=(sudo)
fi
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"

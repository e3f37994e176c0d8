#!/usr/bin/env bash
# Installs the Debian 12 packages Kestro needs to build and test, when any is missing.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev libicu-dev
          qt6-base-dev qt6-base-dev-tools libgl-dev libxkbcommon-dev fonts-dejavu-core
          desktop-file-utils appstream shared-mime-info libxml2-utils groff-base dpkg-dev file
          qt6-charts-dev libqt6opengl6-dev qt6-svg-dev libphonenumber-dev
          libexpat1-dev)
packages+=(poppler-utils python3)  # the export tests read PDFs (pdftotext) and CSV/HTML (python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
as_root=()
if [ "$(id -u)" -ne 0 ]; then as_root=(sudo); fi
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"

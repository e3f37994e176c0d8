#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Kestro and starts it; arguments go to the program (see kestro --help).
# Run it as yourself: only the missing packages are installed as root (with sudo).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
bash scripts/configure.sh >/dev/null
cmake --build build/release -j "$(nproc)" --target kestro kestro-cli

# Help and version need no window; everything else does.
for arg in "$@"; do
  case $arg in
    --help|-h|--version) QT_QPA_PLATFORM=offscreen exec build/release/bin/kestro "$@" ;;
    --) break ;;
  esac
done
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "Kestro is built (build/release/bin/kestro), but it is a desktop program and needs a display:" >&2
  echo "neither DISPLAY nor WAYLAND_DISPLAY is set. Start it from a desktop session (or over ssh -X)." >&2
  echo "Without a window, build/release/bin/kestro-cli imports, lists and summarises collections." >&2
  exit 1
fi
exec build/release/bin/kestro "$@"

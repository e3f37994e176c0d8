#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks what Kestro installs, as a desktop and dpkg see it.
#   check-install.sh tree BUILD_DIR SOURCE_DIR     install into a temporary prefix and check it
#   check-install.sh package BUILD_DIR SOURCE_DIR  build the Debian package and check it
set -euo pipefail
mode=$1 build=$(realpath "$2") source=$(realpath "$3")
id=org.example.kestro
mime_type=application/x-kestro
version=$(sed -n 's/^project(Kestro VERSION \([0-9.]*\).*/\1/p' "$source/CMakeLists.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
need() { command -v "$1" >/dev/null || { echo "FAIL: $1 is missing (Debian package $2; scripts/install-deps.sh installs it)" >&2; exit 1; }; }

# Width and height of a PNG, from its header.
png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%dx%d", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'; }
hex4() { od -An -tx1 -N4 "$1" | tr -d ' \n'; }

# Everything that belongs in an installed tree under $1 (a prefix).
check_tree() {
  local prefix=$1 share=$1/share
  local files=(bin/kestro bin/kestro-cli share/kestro/kestro.txt
               "share/applications/$id.desktop" "share/metainfo/$id.metainfo.xml"
               "share/mime/packages/$id.xml" "share/icons/hicolor/scalable/apps/$id.svg"
               share/man/man1/kestro.1.gz share/man/man1/kestro-cli.1.gz
               share/doc/kestro/copyright share/doc/kestro/changelog.gz
               share/kestro/screenshots/main-window.png)
  for size in 48 128 256; do files+=("share/icons/hicolor/${size}x${size}/apps/$id.png"); done
  for f in "${files[@]}"; do [ -s "$prefix/$f" ] || fail "$f is not installed"; done
  for size in 48 128 256; do
    local png=$share/icons/hicolor/${size}x${size}/apps/$id.png
    [ -f "$png" ] && [ "$(png_size "$png")" != "${size}x${size}" ] && fail "$png is $(png_size "$png"), not ${size}x${size}"
  done

  # The desktop entry: valid, and pointing at what was installed beside it.
  local entry=$share/applications/$id.desktop
  desktop-file-validate "$entry" || fail "desktop-file-validate rejects $entry"
  grep -qx "Exec=kestro %F" "$entry" || fail "the desktop entry does not start 'kestro %F'"
  grep -qx "Icon=$id" "$entry" || fail "the desktop entry's icon is not $id"
  grep -qx "MimeType=$mime_type;" "$entry" || fail "the desktop entry does not claim $mime_type"
  for key in Name GenericName Comment Categories; do grep -q "^$key=." "$entry" || fail "the desktop entry has no $key"; done

  # The AppStream file: valid even to the pedantic checks, about this desktop entry and
  # its licence, pointing at no made-up address.
  local meta=$share/metainfo/$id.metainfo.xml
  if ! appstreamcli validate --pedantic --no-net "$meta" >"$work/appstream.log" 2>&1 ||
     grep -q '^[EWIP]:' "$work/appstream.log"; then
    cat "$work/appstream.log" >&2
    fail "appstreamcli finds fault with $meta"
  fi
  grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$meta" || fail "the AppStream file launches another entry"
  grep -q "<project_license>GPL-3.0-or-later</project_license>" "$meta" || fail "the AppStream file names no licence"
  grep -q "<description>" "$meta" || fail "the AppStream file has no description"
  if grep -q "example\.org" "$meta"; then fail "the AppStream file points at a placeholder address"; fi
  [ "$(png_size "$share/kestro/screenshots/main-window.png")" != 0x0 ] || fail "the screenshot is no PNG"

  # The licence, the changelog as dpkg reads it, and the copyright in Debian's format.
  grep -q "^License: GPL-3.0-or-later" "$share/doc/kestro/copyright" || fail "the copyright file names no licence"
  [ "$(dpkg-parsechangelog -l "$share/doc/kestro/changelog.gz" -S Version 2>/dev/null)" = "$version" ] ||
    fail "the changelog's latest version is not $version"

  # The MIME package: well formed, compiled by the desktop's own tool, and its magic the
  # first bytes of a data file that the installed program writes.
  local package=$share/mime/packages/$id.xml
  xmllint --noout "$package" || fail "$package is not well formed XML"
  mkdir -p "$work/mime/packages" && cp "$package" "$work/mime/packages/"
  update-mime-database "$work/mime" >/dev/null 2>"$work/mime.log" || fail "update-mime-database failed"
  grep -q "$mime_type" "$work/mime/magic" || fail "the compiled MIME database has no magic for $mime_type"
  grep -qx "[0-9]*:$mime_type:\*\.kst" "$work/mime/globs2" || fail "the compiled MIME database does not know *.kst"
  if "$prefix/bin/kestro-cli" import "$source/examples/example_messages.csv" -o "$work/written.kst" >/dev/null; then
    local magic
    magic=$(grep -o 'value="[^"]*"' "$package" | head -1 | sed 's/value="//; s/"$//; s/\\x//g' | tr 'A-F' 'a-f')
    [ "$magic" = "$(hex4 "$work/written.kst")" ] ||
      fail "the MIME magic $magic is not how a data file begins ($(hex4 "$work/written.kst"))"
  else
    fail "the installed kestro-cli cannot write a data file"
  fi

  # The manual pages, compressed, format without a warning.
  for page in kestro kestro-cli; do
    local warnings
    warnings=$(zcat "$share/man/man1/$page.1.gz" | groff -man -Tutf8 -ww -z 2>&1)
    [ -z "$warnings" ] || fail "$page.1: $warnings"
  done

  # The installed programs run from their prefix: versions, and the word list found.
  [ "$("$prefix/bin/kestro-cli" --version)" = "kestro-cli $version" ] || fail "kestro-cli --version"
  [ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$prefix/bin/kestro" --version)" = "kestro $version" ] || fail "kestro --version"
  mkdir -p "$work/samples"
  "$prefix/bin/kestro-cli" samples "$work/samples" >/dev/null || fail "the installed kestro-cli cannot write the samples"
  [ "$(find "$work/samples" -name 'sample_*.csv' | wc -l)" -eq 4 ] || fail "the installed kestro-cli wrote no four samples"

  # The shared objects the programs open on demand, in the private library folder, found
  # from the installed programs: the number library by an import that names a home country,
  # the PDF painting by a PDF export.
  for library in kestro-numbers.so kestro-pdf.so; do
    [ -n "$(find "$prefix/lib" -path "*/kestro/$library" 2>/dev/null)" ] || fail "$library is not installed in a kestro library folder"
  done
  "$prefix/bin/kestro-cli" import --country DE "$source/examples/example_messages.csv" >/dev/null 2>"$work/numbers.err" ||
    fail "the installed kestro-cli cannot import with a home country: $(cat "$work/numbers.err")"
  if grep -q "cannot load" "$work/numbers.err"; then fail "the installed kestro-cli: $(cat "$work/numbers.err")"; fi
  "$prefix/bin/kestro-cli" export "$work/written.kst" --format pdf -o "$work/written.pdf" 2>"$work/pdf.err" ||
    fail "the installed kestro-cli cannot export a PDF: $(cat "$work/pdf.err")"
}

case $mode in
  tree)
    need desktop-file-validate desktop-file-utils; need appstreamcli appstream; need xmllint libxml2-utils
    need update-mime-database shared-mime-info; need groff groff-base
    cmake --install "$build" --prefix "$work/prefix" >/dev/null
    check_tree "$work/prefix"
    ;;
  package)
    need cpack cmake; need dpkg-shlibdeps dpkg-dev; need file file
    need desktop-file-validate desktop-file-utils; need appstreamcli appstream; need xmllint libxml2-utils
    need update-mime-database shared-mime-info; need groff groff-base
    (cd "$work" && cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1) ||
      { cat "$work/cpack.log" >&2; fail "cpack failed"; exit 1; }
    deb=$work/out/kestro_${version}_$(dpkg --print-architecture).deb
    [ -f "$deb" ] || { ls "$work/out" >&2; fail "no $(basename "$deb")"; exit 1; }
    depends=$(dpkg-deb -f "$deb" Depends)
    for library in libc6 libstdc++6 libqt6widgets6 fonts-symbola; do
      [[ $depends == *"$library"* ]] || fail "the package's dependencies ($depends) lack $library"
    done
    dpkg-deb -x "$deb" "$work/root"
    check_tree "$work/root/usr"
    # Debian's own checker, when installed: no error and no warning. Info tags shown
    # (with --info) are not failures.
    if command -v lintian >/dev/null; then
      lintian --info --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1 || true
      cat "$work/lintian.log"
      if grep -q "^[EW]: " "$work/lintian.log"; then fail "lintian reports errors or warnings on $(basename "$deb")"; fi
    else
      echo "lintian is not installed (Debian package lintian): the package is not checked by it"
    fi
    ;;
  *) echo "usage: check-install.sh tree|package BUILD_DIR SOURCE_DIR" >&2; exit 2 ;;
esac
[ "$failures" -eq 0 ] || { echo "$failures check(s) failed" >&2; exit 1; }
echo "$mode: every check passed"

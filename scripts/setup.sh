#!/bin/bash
# Prepares a Debian machine for building, running and testing Oxel: installs the
# Debian packages of scripts/debian-packages.txt (adding the i386 architecture for
# Wine), fetches the Debian source packages of libwebp and zlib with apt and
# cross-builds libwebp and minizip into a prefix outside git (.deps), then
# configures and builds both builds. Idempotent; a second run only rebuilds.
#
# Environment: OXEL_DEPS (library prefix, default <repo>/.deps),
#              OXEL_BUILD (build folder, default <repo>/build).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
deps=${OXEL_DEPS:-$root/.deps}
build=${OXEL_BUILD:-$root/build}
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

note() { printf '[setup] %s\n' "$*"; }

install_packages() {
  local wanted missing=() pkg
  wanted=$(grep -v -E '^\s*(#|$)' "$root/scripts/debian-packages.txt")
  for pkg in $wanted; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  note "installing: ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  $sudo apt-get update -q
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# apt-get source needs a deb-src entry for Debian's main archive.
ensure_source_entry() {
  if grep -rqs -E '^(Types:.*deb-src|deb-src )' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    return 0
  fi
  local codename
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  note "adding the source-package entry for $codename"
  $sudo tee /etc/apt/sources.list.d/oxel-sources.sources >/dev/null <<SRC
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $codename $codename-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  $sudo apt-get update -q
}

fetch_source() {  # package -> prints the unpacked folder
  local pkg=$1 dir
  dir=$(find "$deps/src" -maxdepth 1 -type d -name "$pkg-[0-9]*" | head -n 1)
  if [ -z "$dir" ]; then
    (cd "$deps/src" && apt-get source -q "$pkg" >&2)
    dir=$(find "$deps/src" -maxdepth 1 -type d -name "$pkg-[0-9]*" | head -n 1)
  fi
  echo "$dir"
}

build_minizip() {
  [ -f "$deps/lib/libminizip.a" ] && return 0
  local src obj
  src=$(fetch_source zlib)/contrib/minizip
  obj="$deps/obj/minizip"
  mkdir -p "$obj" "$deps/lib" "$deps/include/minizip"
  note "cross-building minizip from $src"
  for f in ioapi unzip zip iowin32; do
    i686-w64-mingw32-gcc-posix -O2 -c "$src/$f.c" -o "$obj/$f.o"
  done
  i686-w64-mingw32-ar rcs "$deps/lib/libminizip.a" "$obj"/*.o
  cp "$src"/ioapi.h "$src"/unzip.h "$src"/zip.h "$src"/iowin32.h "$deps/include/minizip/"
}

build_libwebp() {
  [ -f "$deps/lib/libwebpdemux.a" ] && return 0
  local src
  src=$(fetch_source libwebp)
  note "cross-building libwebp from $src"
  cmake -S "$src" -B "$deps/obj/libwebp" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$deps" -DBUILD_SHARED_LIBS=OFF \
    -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
    -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF \
    -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF \
    -DWEBP_BUILD_LIBWEBPMUX=ON >/dev/null
  cmake --build "$deps/obj/libwebp" -j2 >/dev/null
  cmake --install "$deps/obj/libwebp" >/dev/null
}

configure_and_build() {
  note "building the Windows deliverables and tests in $build/win"
  cmake -S "$root" -B "$build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DOXEL_DEPS="$deps" >/dev/null
  cmake --build "$build/win" -j2
  note "building the native tests in $build/native"
  cmake -S "$root" -B "$build/native" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$build/native" -j2
}

# Creates the Wine prefix once; later runs reuse it.
# Windows draw their own frames (a virtual display has no window manager).
prepare_wine() {
  local prefix="$build/win/wineprefix"
  export WINEPREFIX="$prefix" WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$prefix/system.reg" ]; then
    note "creating the Wine prefix $prefix"
    xvfb-run -a wineboot -i >/dev/null 2>&1 || true
    wineserver -w || true
  fi
  if ! grep -qs '"Decorated"="N"' "$prefix/user.reg"; then
    xvfb-run -a wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
    wineserver -w || true
  fi
  # The prefix has no Japanese system font: link the user-interface faces to
  # IPAGothic, as a Windows system links them to its own Japanese face.
  if ! grep -qs 'ipag.ttf,IPAGothic' "$prefix/system.reg"; then
    xvfb-run -a bash -c '
      for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "MS Sans Serif" "Segoe UI"; do
        wine reg add "HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink" \
          /v "$face" /t REG_MULTI_SZ /d "ipag.ttf,IPAGothic" /f
      done' >/dev/null 2>&1 || true
    wineserver -w || true
  fi
}

install_packages
mkdir -p "$deps/src"
if [ ! -f "$deps/lib/libminizip.a" ] || [ ! -f "$deps/lib/libwebpdemux.a" ]; then
  ensure_source_entry
fi
build_minizip
build_libwebp
configure_and_build
prepare_wine
note "ready: $build/win/out holds Oxel.exe and its plug-ins"

#!/bin/bash
# Prepares a Debian machine for building, running and testing Oxel: installs the
# Debian packages of scripts/debian-packages.txt that this machine can use,
# fetches the Debian source packages of libwebp and zlib with apt and
# cross-builds libwebp and minizip for both Windows targets into a prefix
# outside git (.deps/i686, .deps/x86_64), then configures and builds the
# 32-bit program (build/win), its 64-bit twin (build/win64) and the native
# tests (build/native), and prepares a Wine prefix for each Windows build that
# this machine runs. Idempotent; a second run only rebuilds.
#
# Environment: OXEL_DEPS (library prefix, default <repo>/.deps),
#              OXEL_BUILD (build folder, default <repo>/build).
set -Eeuo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
deps=${OXEL_DEPS:-$root/.deps}
build=${OXEL_BUILD:-$root/build}
oxel_root=$root
. "$root/scripts/platform.sh"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive

. "$root/scripts/packages.sh"
# Any other failing step names itself.
trap 'fail "line $LINENO: $BASH_COMMAND (exit $?)"' ERR

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
  update_package_lists
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

# One prefix per target: .deps/i686 and .deps/x86_64.
build_minizip() {
  local arch=$1 prefix="$deps/$1"
  [ -f "$prefix/lib/libminizip.a" ] && return 0
  local src obj
  src=$(fetch_source zlib)/contrib/minizip
  obj="$prefix/obj/minizip"
  mkdir -p "$obj" "$prefix/lib" "$prefix/include/minizip"
  note "cross-building minizip for $arch from $src"
  for f in ioapi unzip zip iowin32; do
    "$arch-w64-mingw32-gcc-posix" -O2 -c "$src/$f.c" -o "$obj/$f.o"
  done
  "$arch-w64-mingw32-ar" rcs "$prefix/lib/libminizip.a" "$obj"/*.o
  cp "$src"/ioapi.h "$src"/unzip.h "$src"/zip.h "$src"/iowin32.h "$prefix/include/minizip/"
}

build_libwebp() {
  local arch=$1 prefix="$deps/$1"
  [ -f "$prefix/lib/libwebpdemux.a" ] && return 0
  local src
  src=$(fetch_source libwebp)
  note "cross-building libwebp for $arch from $src"
  cmake -S "$src" -B "$prefix/obj/libwebp" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF \
    -DWEBP_BUILD_ANIM_UTILS=OFF -DWEBP_BUILD_CWEBP=OFF -DWEBP_BUILD_DWEBP=OFF \
    -DWEBP_BUILD_GIF2WEBP=OFF -DWEBP_BUILD_IMG2WEBP=OFF -DWEBP_BUILD_VWEBP=OFF \
    -DWEBP_BUILD_WEBPINFO=OFF -DWEBP_BUILD_WEBPMUX=OFF -DWEBP_BUILD_EXTRAS=OFF \
    -DWEBP_BUILD_LIBWEBPMUX=ON >/dev/null
  cmake --build "$prefix/obj/libwebp" -j2 >/dev/null
  cmake --install "$prefix/obj/libwebp" >/dev/null
}

configure_and_build() {
  local name arch
  for name in win win64; do
    arch=i686
    [ $name = win64 ] && arch=x86_64
    note "building the $arch Windows deliverables and tests in $build/$name"
    cmake -S "$root" -B "$build/$name" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" \
      -DCMAKE_BUILD_TYPE=Release -DOXEL_DEPS="$deps/$arch" >/dev/null
    cmake --build "$build/$name" -j2
  done
  # Each output folder holds both plug-in hosts: each build makes its own.
  cp -p "$build/win/out/OxelPluginHost32.exe" "$build/win64/out/"
  cp -p "$build/win64/out/OxelPluginHost64.exe" "$build/win/out/"
  note "building the native tests in $build/native"
  cmake -S "$root" -B "$build/native" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build "$build/native" -j2
}

# Creates the Wine prefix of one build once; later runs reuse it.
# Windows draw their own frames (a virtual display has no window manager).
prepare_wine() {
  oxel_wine_env "$1"
  local prefix=$WINEPREFIX
  if [ ! -f "$prefix/system.reg" ]; then
    note "creating the Wine prefix $prefix"
    xvfb-run -a "$oxel_wine" wineboot -i >/dev/null 2>&1 || true
    "$oxel_wineserver" -w || true
  fi
  if [ ! -f "$prefix/system.reg" ]; then
    note "Wine could not create $prefix ($oxel_wine)"
    return 1
  fi
  if ! grep -qs '"Decorated"="N"' "$prefix/user.reg"; then
    xvfb-run -a "$oxel_wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
    "$oxel_wineserver" -w || true
  fi
  # The prefix has no Japanese system font: link the user-interface faces to
  # IPAGothic, as a Windows system links them to its own Japanese face.
  if ! grep -qs 'ipag.ttf,IPAGothic' "$prefix/system.reg"; then
    xvfb-run -a bash -c '
      for face in "Tahoma" "MS Shell Dlg" "MS Shell Dlg 2" "Microsoft Sans Serif" "MS Sans Serif" "Segoe UI"; do
        "$0" reg add "HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink" \
          /v "$face" /t REG_MULTI_SZ /d "ipag.ttf,IPAGothic" /f
      done' "$oxel_wine" >/dev/null 2>&1 || true
    "$oxel_wineserver" -w || true
  fi
  # The Japanese face that Oxel asks for is IPAGothic here, whatever other
  # fonts the machine has: without it Wine takes a face by character set, and
  # which one depends on the machine (some have no kanji).
  if ! grep -qs '"MS UI Gothic"="IPAGothic"' "$prefix/user.reg"; then
    xvfb-run -a "$oxel_wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "MS UI Gothic" /d IPAGothic /f \
      >/dev/null 2>&1 || true
    "$oxel_wineserver" -w || true
  fi
  # Wine rewrites the links of its own faces (Tahoma among them) whenever the
  # code page changes, and the Japanese test run changes it. The menus, the
  # status bar and the tooltips are therefore drawn in IPAGothic itself, which
  # has Latin and Japanese, as a Japanese Windows draws them in a Japanese face.
  if [ ! -f "$prefix/.oxel-ui-fonts" ]; then
    local logfont face_hex
    face_hex=$(printf 'IPAGothic' | iconv -f ASCII -t UTF-16LE | od -An -v -tx1 | tr -d ' \n')
    # LOGFONTW: height -12, weight 400, DEFAULT_CHARSET, the face in 32 wide characters.
    logfont="f4ffffff000000000000000000000000900100000000000100000000${face_hex}"
    while [ ${#logfont} -lt 184 ]; do logfont+="00"; done
    xvfb-run -a bash -c '
      for metric in MenuFont StatusFont MessageFont; do
        "$0" reg add "HKCU\Control Panel\Desktop\WindowMetrics" /v "$metric" /t REG_BINARY /d "$1" /f
      done' "$oxel_wine" "$logfont" >/dev/null 2>&1 && touch "$prefix/.oxel-ui-fonts"
    "$oxel_wineserver" -w || true
  fi
}

install_packages
mkdir -p "$deps/src"
for arch in i686 x86_64; do
  if [ ! -f "$deps/$arch/lib/libminizip.a" ] || [ ! -f "$deps/$arch/lib/libwebpdemux.a" ]; then
    ensure_source_entry
  fi
done
for arch in i686 x86_64; do
  build_minizip $arch
  build_libwebp $arch
done
configure_and_build
for name in $(oxel_runnable_builds); do
  prepare_wine "$name"
done
if oxel_can_run_32bit; then
  note "ready: $build/win/out holds Oxel.exe and its plug-ins; $build/win64/out its 64-bit twin"
else
  note "ready: $build/win/out holds Oxel.exe and its plug-ins (they cannot run here: $(oxel_no_32bit_reason));" \
       "$build/win64/out holds the 64-bit twin that runs here"
fi

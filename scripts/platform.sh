# Sourced by the setup, run, test and benchmark scripts: what this machine can
# run, and the Wine of each Windows build.
#
# Oxel is built twice from one source: build/win is the 32-bit (i686) program,
# build/win64 its 64-bit (x86_64) twin. Many machines now run 64-bit user code
# only; there neither a 32-bit Linux program nor Wine's 32-bit loader starts, so
# only the twin can run, under Wine's 64-bit loader with a 64-bit prefix.

oxel_root=${oxel_root:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
oxel_build=${OXEL_BUILD:-$oxel_root/build}

# Succeeds when this machine's kernel executes 32-bit x86 programs. Tried on a
# 93-byte ELF32 program that only calls exit(0): the kernel refuses it with
# "Exec format error" where IA-32 emulation is off. OXEL_RUN_32BIT=0 or 1
# overrides.
oxel_kernel_runs_32bit() {
  case "${OXEL_RUN_32BIT:-}" in
    0) return 1 ;;
    1) return 0 ;;
  esac
  if [ -z "${oxel_32bit_answer:-}" ]; then
    local probe
    probe=$(mktemp)
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
    chmod +x "$probe"
    if "$probe" >/dev/null 2>&1; then oxel_32bit_answer=yes; else oxel_32bit_answer=no; fi
    rm -f "$probe"
  fi
  [ "$oxel_32bit_answer" = yes ]
}

# Succeeds when the 32-bit build can run here: the kernel runs 32-bit code and
# Wine's 32-bit loader is installed (the setup may have found it impossible to
# install, when the registry's i386 lists are out of step with the amd64 ones).
oxel_can_run_32bit() {
  oxel_kernel_runs_32bit || return 1
  [ "${OXEL_RUN_32BIT:-}" = 1 ] && return 0
  [ -x /usr/lib/wine/wine ] && dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"
}

# Why the 32-bit build does not run here, in a few words.
oxel_no_32bit_reason() {
  if oxel_kernel_runs_32bit; then
    echo "the 32-bit Wine (wine32:i386) is not installed: the package registry could not provide it"
  else
    echo "this machine executes no 32-bit programs"
  fi
}

# The Windows builds that this machine runs: always the 64-bit twin, and the
# 32-bit program where 32-bit code runs.
oxel_runnable_builds() {
  if oxel_can_run_32bit; then echo "win64 win"; else echo "win64"; fi
}

# Exports the Wine environment of one build (win or win64) and sets oxel_wine
# (the loader to start programs with) and oxel_wineserver. /usr/bin/wine picks
# the 32-bit loader whenever wine32 is installed, so the loaders are called
# directly.
oxel_wine_env() {
  local name=$1
  export WINEPREFIX="$oxel_build/$name/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ "$name" = win64 ]; then
    export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  else
    export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32
  fi
  oxel_wine=$WINELOADER
  oxel_wineserver=$WINESERVER
}

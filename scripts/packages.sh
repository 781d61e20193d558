# Sourced by the setup (and its test): installs the Debian packages of
# scripts/debian-packages.txt that this machine can use. A registry whose i386
# lists are out of step with the amd64 ones is met as it is: the update is
# tried twice and the rest go on, and where the 32-bit Wine then cannot be
# installed, everything else still is, and the machine is treated as one that
# runs no 32-bit code. Needs platform.sh; $sudo is the command to run apt as
# root with (empty as root).
sudo=${sudo:-}

note() { printf '[setup] %s\n' "$*"; }
fail() { printf '[setup] failed: %s\n' "$*" >&2; exit 1; }
# apt-get update exits non-zero when one index of the registry is out of step
# (a mirror sync in progress, say) although every other list arrived: try once
# more, then go on with what arrived; the install says whether that was enough.
update_package_lists() {
  $sudo apt-get update -q && return 0
  note "apt-get update failed; trying once more"
  sleep 3
  $sudo apt-get update -q && return 0
  note "apt-get update failed again: going on with the package lists that did arrive"
}

install_packages() {
  local missing=() native=() pkg condition need_i386=0
  while read -r pkg condition; do
    [ "$condition" = if-32bit ] && ! oxel_kernel_runs_32bit && continue
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" && continue
    missing+=("$pkg")
    case "$pkg" in *:i386) need_i386=1 ;; *) native+=("$pkg") ;; esac
  done < <(grep -v -E '^\s*(#|$)' "${oxel_package_list:-$oxel_root/scripts/debian-packages.txt}")
  [ ${#missing[@]} -eq 0 ] && return 0
  note "installing: ${missing[*]}"
  if [ $need_i386 = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
  fi
  update_package_lists
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" && return 0
  # The i386 packages must match the amd64 ones exactly, and an out-of-step
  # i386 list makes them uninstallable: go on without the 32-bit Wine.
  if [ $need_i386 = 1 ]; then
    note "the 32-bit Wine (wine32:i386) cannot be installed from this registry: going on as on a" \
         "machine that runs no 32-bit code (the 64-bit twin is tested, the 32-bit build compiled and checked)"
    [ ${#native[@]} -eq 0 ] && return 0
    $sudo apt-get install -y -q --no-install-recommends "${native[@]}" && return 0
  fi
  fail "apt-get could not install: ${native[*]}"
}


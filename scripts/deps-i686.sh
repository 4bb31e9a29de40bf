#!/usr/bin/env bash
# The optional packages of the i686 build's tests: qemu-user, which runs 32-bit x86 code where the
# kernel does not, and Debian's 32-bit Wine, unpacked into a folder of the build tree.
#   deps-i686.sh ROOT
# Only make test and make test-x86 call it; nothing else needs 32-bit Wine. Exit code 0: ROOT holds
# a 32-bit Wine that matches the installed 64-bit one. Otherwise exit code 3 and apt's reason in one
# line in ROOT.unavailable, which the i686 tests report as their skip; the next run tries again.
#
# Unpacked, not installed: installing wine32:i386 needs the i386 copy of every shared library at the
# very version of the machine's amd64 one (multiarch), and whenever a mirror's i386 index lags behind
# its amd64 one (a sync in progress, for an hour or so) apt gives up and nothing installs. In a folder
# of its own, 32-bit Wine brings its own libraries at whatever versions the index has; qemu runs it
# with that folder as its root. Every package is still checked against Debian's signed index.
set -euo pipefail

root=$(realpath -m "${1:?usage: $0 ROOT}")
reason_file=$root.unavailable
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

# Ends with exit code 3, keeping the first error line apt printed (or the message itself).
unavailable() {
  local why=$1 log=${2:-}
  local apt_said=""
  [ -z "$log" ] || apt_said=$(grep -m1 '^E: ' "$log" | cut -c4- || true)
  echo "${why}${apt_said:+: $apt_said}" | tee "$reason_file" >&2
  exit 3
}

wine_version() { "$@" --version 2>/dev/null || true; }
ready() {
  command -v qemu-i386 >/dev/null && [ -f "$root/.complete" ] &&
    [ "$(wine_version qemu-i386 -L "$root" "$root/usr/lib/wine/wine")" = "$(wine_version /usr/lib/wine/wine64)" ]
}
if ready; then
  rm -f "$reason_file"
  exit 0
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Whatever else fails (no sudo, say) is a reason to skip too.
trap 'unavailable "deps-i686.sh failed at line $LINENO" "$log"' ERR
mkdir -p "$(dirname "$root")"

if ! command -v qemu-i386 >/dev/null; then
  echo "Installing: qemu-user"
  $SUDO apt-get update -qq >"$log" 2>&1 || true  # an index that fails leaves the others usable
  $SUDO apt-get install -y -qq --no-install-recommends qemu-user >>"$log" 2>&1 ||
    unavailable "qemu-user did not install" "$log"
fi

# Earlier versions of this script added i386 to dpkg's own architectures, so that every later
# apt-get update of the machine read the i386 indexes too, and failed (stopping deps.sh) whenever a
# mirror's i386 index was out of step. Where nothing of i386 is installed, that is taken back.
if dpkg --print-foreign-architectures | grep -qx i386 &&
  ! dpkg-query -W -f='${Architecture}\n' 2>/dev/null | grep -qx i386; then
  echo "Removing the i386 architecture that an earlier run added to dpkg (no i386 package is installed)"
  $SUDO dpkg --remove-architecture i386
fi

# The i386 look-ups use an apt configuration of their own: the machine's sources, read for its own
# architecture and i386 into index and cache folders beside ROOT, so that the machine's apt never
# reads an i386 index and no later apt-get update on it can fail because of this script. Downloads
# run as root: apt's own user could not write into the build tree.
apt_dir=$root.apt
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
touch "$apt_dir/status"
cat >"$apt_dir/apt.conf" <<EOF
APT::Architectures { "$(dpkg --print-architecture)"; "i386"; };
Dir::State "$apt_dir";
Dir::State::Lists "$apt_dir/lists";
Dir::State::status "$apt_dir/status";
Dir::Cache "$apt_dir/cache";
APT::Sandbox::User "root";
EOF
export APT_CONFIG=$apt_dir/apt.conf
update_i386_index() { apt-get update -qq >>"$log" 2>&1 || true; }  # one index failing leaves the others
update_i386_index

# wine32 and everything it needs: a list from apt's resolver, then the packages themselves. Wine at
# the version of the installed 64-bit one (the two must match, and the index's candidate may be
# newer or older than the machine's), its libraries at the versions the index offers. One index out
# of step (the update above fails for it) leaves the older versions of the other, which serve as
# well; a download that fails is tried once more after a fresh update, as a mirror can swap files
# during a sync.
wine_at=$(dpkg-query -W -f='${Version}' wine64)
closure() {
  apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks --no-replaces \
    --no-enhances "wine32:i386=$wine_at" 2>>"$log" | grep -v '^ ' | grep ':i386$' | sort -u |
    sed -E "s/^(wine32|libwine):i386\$/&=$wine_at/"
}
debs=$root.debs
download() {
  local packages
  mapfile -t packages < <(closure)
  [ ${#packages[@]} -gt 0 ] || { echo "E: apt knows no package wine32:i386" >>"$log"; return 1; }
  rm -rf "$debs"
  mkdir -p "$debs"
  (cd "$debs" && apt-get download -q "${packages[@]}") >>"$log" 2>&1
}
echo "Fetching 32-bit Wine $wine_at for the i686 tests into $root"
if ! download; then
  sleep 30
  update_i386_index
  download || unavailable "32-bit Wine $wine_at could not be fetched" "$log"
fi

rm -rf "$root"
mkdir -p "$root"
for deb in "$debs"/*.deb; do dpkg-deb -x "$deb" "$root"; done
rm -rf "$debs"
# Where the packages put everything under /usr (Debian 13: the 32-bit loader is
# /usr/lib/ld-linux.so.2), the links a merged-/usr system has, which qemu-i386 -L follows to the
# loader at /lib/ld-linux.so.2.
for dir in bin lib sbin; do [ -e "$root/$dir" ] || [ ! -d "$root/usr/$dir" ] || ln -s "usr/$dir" "$root/$dir"; done
# What libwine's installation script would add: Wine's zlib1.dll, the MinGW one (from libz-mingw-w64,
# which 64-bit Wine brought) with the mark of a Wine builtin DLL in its DOS header.
zlib=/usr/i686-w64-mingw32/lib/zlib1.dll
[ -f "$zlib" ] || unavailable "no $zlib (package libz-mingw-w64)"
{ head -c 64 "$zlib"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$zlib"; } \
  >"$root/usr/lib/i386-linux-gnu/wine/i386-windows/zlib1.dll"
# And what the installation's ldconfig would make: the library cache of that root. Without it the
# 32-bit loader reads the machine's own cache, which may name other builds of the same libraries.
printf '/lib/i386-linux-gnu\n/usr/lib/i386-linux-gnu\n' >"$root/etc/ld.so.conf"
/sbin/ldconfig -r "$root"
touch "$root/.complete"
ready || unavailable "the 32-bit Wine fetched does not match the installed 64-bit Wine ($(wine_version /usr/lib/wine/wine64))"
rm -f "$reason_file"
echo "32-bit Wine is ready in $root"

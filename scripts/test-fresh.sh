#!/usr/bin/env bash
# The newcomer's run: a clean clone of the committed HEAD in a fresh Debian root, doing exactly what
# the README tells a newcomer (its prerequisites, make test, then make run as far as the screen),
# with nothing of this machine's packages or build trees.
#   test-fresh.sh [BUILD]    SUITE=bookworm (default) or trixie; KEEP=1 keeps the root to look inside
# Needs root (mmdebstrap, chroot, private mounts). The bare root is cached as a tarball in
# /var/cache/trawlix and made anew when a week old. Writes the run's logs and make run's screenshot
# to BUILD/fresh-SUITE/ and ends with the result, the time of each stage and the tests counted.
# Exit code 0 when make test passed and make run showed Trawlix beside the stand-in client.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
suite=${SUITE:-bookworm}
cache=${TRAWLIX_ROOT_CACHE:-/var/cache/trawlix}

# The stages inside the root, run by the part below in its private mount namespace.
if [ "${1:-}" = --inside ]; then
  root=$2 out=$3
  # Mounts of this namespace alone: they go with its last process, also when it is interrupted.
  mount -t proc proc "$root/proc"
  mount --rbind /dev "$root/dev"
  mount --make-rslave "$root/dev"
  mount --rbind /sys "$root/sys"
  mount --make-rslave "$root/sys"
  mount -t tmpfs tmpfs "$root/tmp"
  mount -t tmpfs tmpfs "$root/dev/shm"

  # A newcomer's environment: nothing of this shell's but the proxy and certificate settings that
  # reaching the package mirrors may need here, and CI's and the job count's.
  pass=(HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 TERM=dumb)
  for name in http_proxy https_proxy no_proxy HTTP_PROXY HTTPS_PROXY NO_PROXY SSL_CERT_FILE SSL_CERT_DIR \
    NODE_EXTRA_CA_CERTS CURL_CA_BUNDLE GIT_SSL_CAINFO REQUESTS_CA_BUNDLE CI JOBS; do
    [ -z "${!name:-}" ] || pass+=("$name=${!name}")
  done
  in_root() { chroot "$root" env -i "${pass[@]}" bash -c "cd /root/trawlix && $1"; }
  now() { date +%s; }

  t0=$(now)
  # The README's prerequisites on a bare Debian, then its commands.
  in_root 'update-ca-certificates >/dev/null && export DEBIAN_FRONTEND=noninteractive &&
           apt-get update -qq && apt-get install -y -qq --no-install-recommends git make >/dev/null &&
           make deps' >"$out/deps.log" 2>&1 || { cat "$out/deps.log"; echo "stage packages failed"; exit 1; }
  t1=$(now)
  in_root 'make build' >"$out/build.log" 2>&1 || { tail -40 "$out/build.log"; echo "stage build failed"; exit 1; }
  t2=$(now)
  status=0
  in_root 'make test' >"$out/test.log" 2>&1 || status=$?
  t3=$(now)
  printf 'packages %s\nbuild %s\ntests %s\n' $((t1 - t0)) $((t2 - t1)) $((t3 - t2)) >"$out/times"
  if [ "$status" -ne 0 ]; then
    grep -E '\*\*\*|tests passed|Skipped i686|not run' "$out/test.log" || true
    echo "stage tests failed (exit code $status); the whole log: $out/test.log"
    exit 1
  fi

  # make run as far as the screen: the main window and the stand-in client on its own Xvfb.
  in_root 'exec make run' >"$out/run.log" 2>&1 &
  run=$!
  shown=""
  for _ in $(seq 300); do
    if env_file=$root/root/trawlix/build/run-env/env && [ -f "$env_file" ]; then
      display=$(sed -n 's/^export DISPLAY=//p' "$env_file")
      if in_root "DISPLAY=$display xdotool search --name '^Trawlix ' && DISPLAY=$display xdotool search --name '^KaZaA - '" \
        >/dev/null 2>&1; then
        sleep 2  # drawn, not just mapped
        in_root "DISPLAY=$display import -window root build/run-screen.png" &&
          cp "$root/root/trawlix/build/run-screen.png" "$out/run-screen.png" && shown=yes
        break
      fi
    fi
    kill -0 "$run" 2>/dev/null || break
    sleep 1
  done
  in_root 'bash scripts/wine-env.sh --state build/run-env stop' >/dev/null 2>&1 || true
  for _ in $(seq 60); do kill -0 "$run" 2>/dev/null || break; sleep 1; done
  kill "$run" 2>/dev/null || true
  echo "run $(($(now) - t3))" >>"$out/times"
  [ -n "$shown" ] || { cat "$out/run.log"; echo "stage run failed: no Trawlix window beside the stand-in client"; exit 1; }
  exit 0
fi

[ "$(id -u)" -eq 0 ] || { echo "test-fresh: needs root (mmdebstrap, chroot and private mounts)" >&2; exit 2; }
build=$(realpath -m "${1:-$repo/build}")
out=$build/fresh-$suite
rm -rf "$out"
mkdir -p "$out" "$cache"
start=$(date +%s)
if ! command -v mmdebstrap >/dev/null; then
  echo "Installing: mmdebstrap"
  apt-get update -qq || true
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends mmdebstrap >/dev/null
fi

# The bare root: Debian's minimal variant with the certificates' package (for this machine's own
# certificates below), and this machine's Debian sources, for SUITE.
tarball=$cache/$suite-minbase.tar
(
  flock 9
  if [ -z "$(find "$tarball" -mtime -7 2>/dev/null)" ]; then
    echo "Making a bare Debian $suite root in $tarball"
    sources=$(mktemp --suffix=.sources)
    host_suite=$(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release)
    cat /etc/apt/sources.list.d/*.sources 2>/dev/null | sed -E "s/\b$host_suite\b/$suite/g" >"$sources"
    grep -hs '^deb ' /etc/apt/sources.list /etc/apt/sources.list.d/*.list | grep -i debian |
      sed -E "s/\b$host_suite\b/$suite/g" >"${sources%.sources}.list" || true
    set -- "$sources"
    [ ! -s "${sources%.sources}.list" ] || set -- "$@" "${sources%.sources}.list"
    # mmdebstrap takes the format from the name's ending: a tarball.
    mmdebstrap --quiet --variant=minbase --include=ca-certificates "$suite" "${tarball%.tar}.new.tar" "$@"
    mv "${tarball%.tar}.new.tar" "$tarball"
    rm -f "$sources" "${sources%.sources}.list"
  fi
) 9>"$cache/.lock"

root=$(mktemp -d "/var/tmp/trawlix-fresh-$suite.XXXXXX")
# shellcheck disable=SC2317  # called by the trap
cleanup() {
  if [ "${KEEP:-}" = 1 ]; then echo "The root stays in $root (KEEP=1)"; else rm -rf --one-file-system "$root"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM  # so that an interrupted run removes its root too
tar -C "$root" -xf "$tarball"
# What the root takes from this machine: DNS, and the locally added certificate authorities (a
# TLS-inspecting proxy's, without which npm refuses the registry).
cp -L /etc/resolv.conf "$root/etc/resolv.conf"
if [ -d /usr/local/share/ca-certificates ]; then
  cp -r /usr/local/share/ca-certificates/. "$root/usr/local/share/ca-certificates/"
fi
git clone -q --no-hardlinks "$repo" "$root/root/trawlix"
commit=$(git -C "$repo" rev-parse HEAD)
git -C "$root/root/trawlix" checkout -q --detach "$commit"
root_time=$(($(date +%s) - start))
echo "Fresh Debian $suite root ready in ${root_time} s; the clone is at $(git -C "$repo" log -1 --format='%h %s' | cut -c1-72)"

status=0
unshare -m --propagation private "$0" --inside "$root" "$out" || status=$?

# The closing lines: the stages' times and the tests CTest ran in make test, i686 ones included.
mins() { printf '%d min %02d s' $(($1 / 60)) $(($1 % 60)); }
declare -A took=([root]=$root_time)
if [ -f "$out/times" ]; then
  while read -r stage seconds; do took[$stage]=$seconds; done <"$out/times"
fi
stages=""
for stage in root packages build tests run; do
  [ -z "${took[$stage]:-}" ] || stages+="${stages:+, }$stage $(mins "${took[$stage]}")"
done
count() { grep -cE " Test +#[0-9]+: $1 \.*\s*$2" "$out/test.log" 2>/dev/null || true; }
passed=$(count '[^ ]+' Passed) failed=$(count '[^ ]+' '\*\*\*(Failed|Timeout|Exception|Not Run)')
skipped=$(count '[^ ]+' '\*\*\*Skipped')
i686_passed=$(count 'i686\.[^ ]+' Passed) i686_skipped=$(count 'i686\.[^ ]+' '\*\*\*Skipped')
result=passed
[ "$status" -eq 0 ] || result=FAILED
echo "test-fresh $suite: $result in $(mins $(($(date +%s) - start))) ($stages); i686: $i686_passed passed, $i686_skipped skipped; logs and screenshot in $out"
grep -h '^Skipped i686' "$out/test.log" 2>/dev/null || true
echo "$suite: $passed passed, $failed failed, $skipped skipped"
exit "$status"

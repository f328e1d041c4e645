#!/usr/bin/env bash
# Builds the game, its tools and its tests as 32-bit i386 programs and runs
# the whole suite there, inside a Debian 12 (bookworm) i386 chroot.
#
# The chroot is made once with debootstrap and kept (VEXMOOR_I386_ROOT,
# default /var/cache/vexmoor-i386); later runs reuse it and only install
# what scripts/setup.sh has come to need since. The source tree is
# bind-mounted at /src and built in its build-i386/ directory, so a second
# run rebuilds only what changed. Needs root (or sudo), debootstrap and
# Debian's archive.
#
#   scripts/test-i386.sh [ctest arguments...]
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
root=${VEXMOOR_I386_ROOT:-/var/cache/vexmoor-i386}
mirror=${VEXMOOR_I386_MIRROR:-http://deb.debian.org/debian}
suite=bookworm
jobs=${JOBS:-$(nproc)}
build_dir=build-i386

fail() {
  echo "test-i386: $*" >&2
  exit 1
}

if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || fail "needs root for debootstrap, mount and chroot, and there is no sudo"
  exec sudo --preserve-env=VEXMOOR_I386_ROOT,VEXMOOR_I386_MIRROR,JOBS "$0" "$@"
fi
if ! command -v debootstrap >/dev/null; then
  echo "Installing: debootstrap"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends debootstrap >/dev/null ||
    fail "debootstrap is not installed and apt-get could not install it"
fi

case "$root" in
  /*/*) ;;
  *) fail "VEXMOOR_I386_ROOT must be an absolute path below a directory, not \"$root\"" ;;
esac

# One run at a time per chroot: a second one waits for the first.
mkdir -p "$(dirname "$root")"
exec 9>"$root.lock"
flock 9

# The mount points at or below a directory, deepest first.
mounts_under() {
  awk -v dir="$1" '$5 == dir || index($5, dir "/") == 1 { print $5 }' /proc/self/mountinfo | sort -r
}
# Unmounts everything at or below a directory; fails when something stays.
unmount_under() {
  local m
  for m in $(mounts_under "$1"); do
    umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true
  done
  [ -z "$(mounts_under "$1")" ] || fail "cannot unmount $(mounts_under "$1" | tr '\n' ' ')"
}

# Whatever is mounted into the chroot is unmounted on the way out, also after
# a failure or an interrupt, and before anything is deleted (the source tree
# is bind-mounted inside).
cleanup() {
  unmount_under "$root"
  unmount_under "$root.partial"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP
# Mounts left behind by a run that was killed outright.
cleanup

mount_into() {  # mount_into TARGET mount-arguments...
  local target=$1
  shift
  mkdir -p "$target"
  mount "$@" "$target" || fail "cannot mount $target (mount $*)"
}

# A fresh chroot is made beside its final place and moved there only once
# debootstrap has finished, so an interrupted first run leaves no half-made
# chroot that later runs would take for a whole one.
# Only what this script made is ever deleted.
if [ ! -f "$root/.vexmoor-base" ]; then
  if [ -e "$root" ] && ! rmdir "$root" 2>/dev/null; then
    fail "$root is not a chroot made by this script; remove it or choose another VEXMOOR_I386_ROOT"
  fi
  partial="$root.partial"
  if [ -e "$partial" ]; then
    [ -f "$partial/.vexmoor-partial" ] || fail "$partial was not made by this script; remove it first"
    rm -rf --one-file-system "$partial"
  fi
  mkdir -p "$partial"
  touch "$partial/.vexmoor-partial"
  echo "Making the i386 chroot in $root (debootstrap $suite from $mirror)"
  started=$SECONDS
  debootstrap --arch=i386 --variant=minbase "$suite" "$partial" "$mirror" >"$partial.log" 2>&1 || {
    tail -n 20 "$partial.log" >&2
    fail "debootstrap failed (whole log: $partial.log)"
  }
  rm -f "$partial.log" "$partial/.vexmoor-partial"
  touch "$partial/.vexmoor-base"
  mv "$partial" "$root"
  echo "debootstrap took $((SECONDS - started)) s"
fi

cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
# Packages installed in the chroot start no services.
printf '#!/bin/sh\nexit 101\n' >"$root/usr/sbin/policy-rc.d"
chmod 755 "$root/usr/sbin/policy-rc.d"

mount_into "$root/proc" -t proc proc
mount_into "$root/sys" -t sysfs sysfs
mount_into "$root/dev" --rbind /dev
mount --make-rslave "$root/dev"
mount_into "$root/src" --bind "$source_dir"

in_chroot() {
  chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin "$@"
}

[ "$(in_chroot dpkg --print-architecture)" = i386 ] || fail "$root is not an i386 system"

# The same packages as on the host, by the same script.
started=$SECONDS
in_chroot /src/scripts/setup.sh || fail "installing the build packages in the chroot failed"
echo "test-i386: packages ready after $((SECONDS - started)) s"

in_chroot bash -c "
  set -euo pipefail
  cd /src
  cmake -S . -B $build_dir -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build $build_dir -j $jobs
" || fail "the i386 build failed"
echo "test-i386: built after $((SECONDS - started)) s"

# The whole suite on the classic runtime, then on sdl12-compat.
in_chroot bash -c "cd /src && scripts/ctest-runtimes.sh $build_dir --output-on-failure -j $jobs $*" ||
  fail "the i386 suite failed"
echo "test-i386: the whole suite passed on i386 (classic SDL 1.2 and sdl12-compat) after $((SECONDS - started)) s"

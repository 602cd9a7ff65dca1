#!/usr/bin/env bash
# Runs a command in an environment that has Qt 6.8.
#
#   tools/buildroot.sh <command> [args...]
#
# Where the machine's own Qt is 6.8 or newer the command runs natively. Otherwise a Debian 13
# root with the packages of tools/buildroot-packages.txt is created with mmdebstrap (cached under
# $SORVANE_ROOT_CACHE, default /var/cache/sorvane, keyed by a hash of the package list) and the
# command runs inside it through unshare + chroot. Every mount is private to the command and goes
# away with it; the project directory is bound at the same absolute path inside the root.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
cache=${SORVANE_ROOT_CACHE:-/var/cache/sorvane}
list="$here/buildroot-packages.txt"

native_qt_ok() {
    local v
    for q in qmake6 qmake; do
        if v=$(command -v "$q" >/dev/null 2>&1 && "$q" -query QT_VERSION 2>/dev/null); then
            case "$v" in
                6.[89].*|6.[1-9][0-9].*|[7-9].*) return 0 ;;
            esac
        fi
    done
    return 1
}

if [ "${SORVANE_IN_ROOT:-}" = 1 ] || { [ "${SORVANE_FORCE_ROOT:-}" != 1 ] && native_qt_ok; }; then
    exec "$@"
fi

[ "$(id -u)" = 0 ] || { echo "buildroot.sh: creating and entering the build root needs root" >&2; exit 1; }

hash=$(grep -v '^\s*#' "$list" | awk 'NF' | sort | sha256sum | cut -c1-16)
root="$cache/root-$hash"

if [ ! -f "$root/.complete" ]; then
    mkdir -p "$cache"
    exec 9>"$cache/.lock"
    flock 9
    if [ ! -f "$root/.complete" ]; then
        if ! command -v mmdebstrap >/dev/null; then
            echo "buildroot.sh: installing mmdebstrap" >&2
            apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq mmdebstrap >&2
        fi
        for old in "$cache"/root-*; do
            [ -e "$old" ] && [ "$old" != "$root" ] && { echo "buildroot.sh: removing stale root $old" >&2; rm -rf --one-file-system "$old"; }
        done
        rm -rf --one-file-system "$root" "$root.tmp"
        pkgs=$(grep -v '^\s*#' "$list" | awk 'NF' | paste -sd, -)
        mirror=$("$here/debian-mirror.sh")
        echo "buildroot.sh: creating the Debian 13 build root in $root from $mirror (about a minute)" >&2
        mmdebstrap --variant=apt --include="$pkgs" \
            --aptopt='APT::Install-Recommends "false"' \
            --dpkgopt='path-exclude=/usr/share/doc/*' \
            --dpkgopt='path-include=/usr/share/doc/*/copyright' \
            --dpkgopt='path-exclude=/usr/share/man/*' \
            trixie "$root.tmp" "$mirror" >&2
        touch "$root.tmp/.complete"
        mv "$root.tmp" "$root"
    fi
    exec 9>&-
fi

# Quote the command for the inner shell.
cmd=$(printf '%q ' "$@")
cwd=$(pwd)
exec unshare --mount --fork -- /bin/bash -euc '
root=$1; project=$2; cwd=$3; cmd=$4
mount --make-rprivate /
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
mkdir -p "$root/dev/shm"
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
mkdir -p "$root$project"
mount --bind "$project" "$root$project"
cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
# The certificate authorities the machine trusts, so that clients in the root (npm, for the tests
# that fetch a client from the registry) reach what the machine reaches. Read-only, and only for
# this command: the root on disk keeps its own.
certs=/etc/ssl/certs/ca-certificates.crt
if [ -s "$certs" ] && [ -f "$root$certs" ]; then
    mount --bind "$certs" "$root$certs" && mount -o remount,bind,ro "$root$certs" || true
fi
exec chroot "$root" /usr/bin/env -i HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    TERM="${TERM:-dumb}" LANG=C.UTF-8 SORVANE_IN_ROOT=1 /bin/bash -c "cd \"\$0\" && exec $cmd" "$cwd"
' bash "$root" "$project" "$cwd" "$cmd"

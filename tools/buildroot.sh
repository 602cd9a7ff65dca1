#!/usr/bin/env bash
# Runs a command in an environment that has Qt 6.8.
#
#   tools/buildroot.sh [--bind DIR]... <command> [args...]
#
# --bind DIR shows the directory DIR, from outside the project, read-write at the same path inside
# the root, for a command that writes there (tools/package-addon.sh --output DIR). A DIR whose
# path inside the root holds files of the root is refused: binding it would hide them.
#
# Where the machine's own Qt is 6.8 or newer the command runs natively. Otherwise a Debian 13
# root with the packages of tools/buildroot-packages.txt is created with mmdebstrap (cached under
# $SORVANE_ROOT_CACHE, default /var/cache/sorvane, keyed by a hash of the package list; see
# tools/lib/debian-root.sh) and the command runs inside it through unshare + chroot. Every mount
# is private to the command and goes away with it; the project directory is bound at the same
# absolute path inside the root, and the root cache read-only at its own path, so that a test
# can enter the player root (tools/playerroot.sh) from inside the build root.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
list="$here/buildroot-packages.txt"
# shellcheck source=lib/debian-root.sh
. "$here/lib/debian-root.sh"

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

binds=()
while [ "${1:-}" = --bind ]; do
    [ -d "${2:-}" ] || { echo "buildroot.sh: --bind ${2:-}: not a directory" >&2; exit 2; }
    binds+=("$(cd "$2" && pwd)")
    shift 2
done

# SORVANE_FORCE_ROOT=1 enters the root even from inside one (a nested entry), which is how a test
# sees what a command does on a machine without Qt 6.8.
if [ "${SORVANE_FORCE_ROOT:-}" != 1 ] && { [ "${SORVANE_IN_ROOT:-}" = 1 ] || native_qt_ok; }; then
    exec "$@"
fi

[ "$(id -u)" = 0 ] || { echo "buildroot.sh: creating and entering the build root needs root" >&2; exit 1; }

# Build roots keep the name "root-<hash>" they have always had.
debian_root_ensure root "$list" "build root"
root=$(debian_root_path root "$list")
mkdir -p "$sorvane_root_cache"
# The certificate authorities the machine trusts, read-only, so that clients in the root (npm,
# for the test that fetches a DevTools client from the registry) reach what the machine reaches.
certs=()
[ -s /etc/ssl/certs/ca-certificates.crt ] && certs=(--ro-bind /etc/ssl/certs /etc/ssl/certs)
extra=()
for dir in "${binds[@]}"; do
    case "$dir/" in
        "$project"/*) continue ;;  # already there with the project
    esac
    # /tmp is a fresh tmpfs inside; anywhere else the root's own directory would be covered,
    # which does no harm where it holds nothing but empty directories (mount points).
    case "$dir/" in
        /tmp/*) ;;
        *)
            if [ "$dir" = / ] || [ -n "$(find "$root$dir" -mindepth 1 ! -type d -print -quit 2>/dev/null)" ]; then
                echo "buildroot.sh: cannot show $dir inside the build root: the root has files of its own" \
                     "there, which it would hide. Choose a folder of its own (for example under your home" \
                     "folder or /tmp)." >&2
                exit 2
            fi
            ;;
    esac
    extra+=(--bind "$dir" "$dir")
done
SORVANE_ROOT_ENV="SORVANE_IN_ROOT=1 SORVANE_ROOT_CACHE=$sorvane_root_cache${SORVANE_NO_PLAYER_ROOT:+ SORVANE_NO_PLAYER_ROOT=$SORVANE_NO_PLAYER_ROOT}" \
    debian_root_enter "$root" --bind "$project" "$project" \
        --ro-bind "$sorvane_root_cache" "$sorvane_root_cache" "${certs[@]}" "${extra[@]}" --cwd "$(pwd)" -- "$@"

#!/usr/bin/env bash
# A player's machine: a Debian 13 root with the runtime packages of tools/playerroot-packages.txt
# (what a desktop Linux has: graphics drivers, X client libraries, fonts, sound, NSS) and no Qt
# at all, for trying the packaged addon folder where nothing of the build is installed.
#
#   tools/playerroot.sh [--exported-game] --create
#       creates the root unless it exists (cached under $SORVANE_ROOT_CACHE, default
#       /var/cache/sorvane, like the build root; it downloads packages, which takes a while)
#   tools/playerroot.sh [--exported-game] [--bind SRC DST]... [--ro-bind SRC DST]... [--cwd DIR] -- <command...>
#       runs a command inside it; DST is a path inside the root and must lie under /home or
#       /opt, which are empty tmpfs mounts there, so nothing is left in the cached root
#
# --exported-game chooses the root for games exported with Debian's export template instead:
# Debian forky (where the template is packaged) with the same packages and the template's
# libraries (tools/exported-game-packages.txt), still without Qt and without Godot.
#
# Entering works from inside the build root too (tools/buildroot.sh shows it the cache), but
# creating does not: exit status 77 says that the root has not been created yet.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
list="$here/playerroot-packages.txt"
kind=player suite=trixie what="player root"
if [ "${1:-}" = --exported-game ]; then
    shift
    list_dir=$(mktemp -d "${TMPDIR:-/tmp}/playerroot.XXXXXX")
    trap 'rm -rf "$list_dir"' EXIT
    cat "$list" "$here/exported-game-packages.txt" >"$list_dir/packages.txt"
    list=$list_dir/packages.txt
    kind=gameplayer suite=forky what="exported-game root"
fi
# shellcheck source=lib/debian-root.sh
. "$here/lib/debian-root.sh"
root=$(debian_root_path "$kind" "$list" "$suite")

if [ "${1:-}" = --create ]; then
    [ $# -eq 1 ] || { echo "playerroot.sh: --create takes no further arguments" >&2; exit 2; }
    if [ "${SORVANE_IN_ROOT:-}" = 1 ] && [ ! -f "$root/.complete" ]; then
        echo "playerroot.sh: the $what can only be created outside the build root" >&2
        exit 77
    fi
    debian_root_ensure "$kind" "$list" "$what" "$suite"
    echo "$root"
    exit 0
fi

if [ ! -f "$root/.complete" ]; then
    echo "playerroot.sh: no $what at $root; create it with tools/playerroot.sh${list_dir:+ --exported-game} --create" >&2
    exit 77
fi
[ "$(id -u)" = 0 ] || { echo "playerroot.sh: entering the player root needs root" >&2; exit 1; }

args=(--tmpfs /home --tmpfs /opt)
while [ $# -gt 0 ]; do
    case "$1" in
        --bind|--ro-bind)
            [ $# -ge 3 ] || { echo "playerroot.sh: $1 takes SRC and DST" >&2; exit 2; }
            case "$3" in
                /home/*|/opt/*) ;;
                *) echo "playerroot.sh: $3 is not under /home or /opt" >&2; exit 2 ;;
            esac
            args+=("$1" "$2" "$3"); shift 3 ;;
        --cwd) args+=(--cwd "$2"); shift 2 ;;
        --) shift; break ;;
        *) echo "playerroot.sh: unknown option $1 (see the head of this script)" >&2; exit 2 ;;
    esac
done
[ $# -gt 0 ] || { echo "playerroot.sh: no command given" >&2; exit 2; }
debian_root_enter "$root" "${args[@]}" -- "$@"

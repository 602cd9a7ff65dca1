#!/usr/bin/env bash
# The Godot engine's machine: a Debian forky root (Godot 4.6 is packaged there, not in Debian 13)
# with the engine, Vulkan's validation layers, lavapipe, Xvfb and a C++ toolchain, plus the system
# libraries a player's machine has (tools/playerroot-packages.txt), so that the packaged addon
# folder runs in it as it would in a game. The library and the extension are still built in the
# Debian 13 build root; this root runs them.
#
#   tools/godotroot.sh --create
#       creates the root unless it exists (cached under $SORVANE_ROOT_CACHE, default
#       /var/cache/sorvane, like the build root; about a minute and 1 GB of downloads once)
#   tools/godotroot.sh [--cwd DIR] -- <command...>
#       runs a command inside it, with the project directory bound at its own path (read-write,
#       so that the command can write into the build directory) and an empty /root (HOME) of its
#       own, so that nothing Godot writes there (logs, settings) stays in the cached root
#
# Entering works from inside the build root too (tools/buildroot.sh shows it the cache), but
# creating does not: exit status 77 says that the root has not been created yet.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
project=$(cd "$here/.." && pwd)
suite=forky
# shellcheck source=lib/debian-root.sh
. "$here/lib/debian-root.sh"

# The root's package list: the engine's packages and the player's machine's.
list_dir=$(mktemp -d "${TMPDIR:-/tmp}/godotroot.XXXXXX")
trap 'rm -rf "$list_dir"' EXIT
list=$list_dir/packages.txt
cat "$here/godotroot-packages.txt" "$here/playerroot-packages.txt" >"$list"
root=$(debian_root_path godot "$list" "$suite")

if [ "${1:-}" = --create ]; then
    [ $# -eq 1 ] || { echo "godotroot.sh: --create takes no further arguments" >&2; exit 2; }
    if [ "${SORVANE_IN_ROOT:-}" = 1 ] && [ ! -f "$root/.complete" ]; then
        echo "godotroot.sh: the Godot root can only be created outside the build root" >&2
        exit 77
    fi
    debian_root_ensure godot "$list" "Godot root" "$suite"
    # The build enters this root from inside the build root, where the cache is read-only: the
    # mount point of this project must exist beforehand (each clone has its own path).
    [ "${SORVANE_IN_ROOT:-}" = 1 ] || mkdir -p "$root$project"
    echo "$root"
    exit 0
fi

if [ ! -f "$root/.complete" ]; then
    echo "godotroot.sh: no Godot root at $root; create it with tools/godotroot.sh --create" >&2
    exit 77
fi
[ "$(id -u)" = 0 ] || { echo "godotroot.sh: entering the Godot root needs root" >&2; exit 1; }

cwd=$(pwd)
while [ $# -gt 0 ]; do
    case "$1" in
        --cwd) cwd=$2; shift 2 ;;
        --) shift; break ;;
        *) echo "godotroot.sh: unknown option $1 (see the head of this script)" >&2; exit 2 ;;
    esac
done
[ $# -gt 0 ] || { echo "godotroot.sh: no command given" >&2; exit 2; }
# Not exec: the trap removes the temporary list afterwards.
debian_root_enter "$root" --tmpfs /root --bind "$project" "$project" --cwd "$cwd" -- "$@"

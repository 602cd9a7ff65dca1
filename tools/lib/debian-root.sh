# Debian roots made with mmdebstrap from a package list, shared by tools/buildroot.sh (the build
# root), tools/playerroot.sh (a player's machine) and tools/godotroot.sh (the engine, for its
# tests). Source it; it defines functions only.
#
# A root lives in $SORVANE_ROOT_CACHE (default /var/cache/sorvane) as <kind>-<hash>, the hash
# taken over the list's package names, so changing a list makes a fresh root and the roots of the
# same kind made from older lists are removed. Creating one needs root and mmdebstrap (installed
# with apt-get when missing); entering one needs root. Every mount made on entry is private to the
# command and goes away with it.
#
# A list line "!name" installs the package for its dependencies and removes the package itself
# afterwards: the root then has what the package needs without having the package.

sorvane_root_cache=${SORVANE_ROOT_CACHE:-/var/cache/sorvane}

# debian_root_path <kind> <package-list> [suite]: prints where the root for that list lives. A
# suite other than trixie is part of the hash.
debian_root_path() {
    local hash
    hash=$({ grep -v '^\s*#' "$2" | awk 'NF' | sort; [ "${3:-trixie}" = trixie ] || echo "suite ${3}"; } |
        sha256sum | cut -c1-16)
    echo "$sorvane_root_cache/$1-$hash"
}

# debian_root_ensure <kind> <package-list> <description> [suite]: creates the root unless it is
# complete, from the suite (default trixie, Debian 13). Concurrent callers wait on one lock; the
# one that creates it prints progress on stderr.
debian_root_ensure() {
    local kind=$1 list=$2 what=$3 suite=${4:-trixie} root old pkgs removed mirror here aptopts=() hooks=()
    root=$(debian_root_path "$kind" "$list" "$suite")
    [ -f "$root/.complete" ] && return 0
    [ "$(id -u)" = 0 ] || { echo "debian-root: creating the $what needs root" >&2; return 1; }
    here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    mkdir -p "$sorvane_root_cache"
    (
        flock 9
        [ -f "$root/.complete" ] && exit 0
        if ! command -v mmdebstrap >/dev/null; then
            echo "debian-root: installing mmdebstrap" >&2
            apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq mmdebstrap >&2
        fi
        for old in "$sorvane_root_cache/$kind"-*; do
            [ -e "$old" ] && [ "$old" != "$root" ] && [ "$old" != "$root.tmp" ] || continue
            echo "debian-root: removing stale $what $old" >&2
            rm -rf --one-file-system "$old"
        done
        rm -rf --one-file-system "$root" "$root.tmp"
        pkgs=$(grep -v '^\s*#' "$list" | awk 'NF' | sed 's/^!//' | paste -sd, -)
        removed=$({ grep '^!' "$list" || true; } | sed 's/^!//' | paste -sd' ' -)
        [ -z "$removed" ] || hooks=(--customize-hook="chroot \"\$1\" dpkg --remove $removed")
        mirror=$("$here/debian-mirror.sh")
        # The archive's Release files of testing and unstable may be past their validity date
        # on a mirror that is a snapshot; a stable release's are not.
        [ "$suite" = trixie ] || aptopts=(--aptopt='Acquire::Check-Valid-Until "false"')
        echo "debian-root: creating the Debian $suite $what in $root from $mirror" >&2
        mmdebstrap --variant=apt --include="$pkgs" "${aptopts[@]}" \
            --aptopt='APT::Install-Recommends "false"' \
            --dpkgopt='path-exclude=/usr/share/doc/*' \
            --dpkgopt='path-include=/usr/share/doc/*/copyright' \
            --dpkgopt='path-exclude=/usr/share/man/*' "${hooks[@]}" \
            "$suite" "$root.tmp" "$mirror" >&2
        touch "$root.tmp/.complete"
        mv "$root.tmp" "$root"
    ) 9>"$sorvane_root_cache/.lock"
}

# debian_root_enter <root> [--bind SRC DST]... [--ro-bind SRC DST]... [--tmpfs DIR]... [--cwd DIR]
#                   -- <command> [args...]
# Runs the command as root inside the root: /proc, /dev, a private /dev/shm and /tmp, the binds
# (DST is a path inside the root; it is created, on a tmpfs where the root itself is read-only),
# the tmpfs mounts, then chroot with a clean environment (HOME, PATH, TERM, LANG and whatever
# SORVANE_ROOT_ENV lists as NAME=VALUE words). Works from inside another root as well.
debian_root_enter() {
    local root=$1 cwd=/ mounts=() cmd
    shift
    while [ $# -gt 0 ]; do
        case "$1" in
            --bind|--ro-bind) mounts+=("$1" "$2" "$3"); shift 3 ;;
            --tmpfs) mounts+=(--tmpfs "$2" -); shift 2 ;;
            --cwd) cwd=$2; shift 2 ;;
            --) shift; break ;;
            *) echo "debian_root_enter: unknown option $1" >&2; return 2 ;;
        esac
    done
    cmd=$(printf '%q ' "$@")
    # Inside a chroot "/" is no mount point, so its propagation cannot be changed; the mounts
    # there are private already, made so by the outer entry.
    local propagation=private
    [ "${SORVANE_IN_ROOT:-}" = 1 ] && propagation=unchanged
    unshare --mount --propagation "$propagation" --fork -- /bin/bash -euc '
root=$1; cwd=$2; cmd=$3; shift 3
mount -t proc proc "$root/proc"
mount --rbind /dev "$root/dev"
mount --make-rslave "$root/dev"
mkdir -p "$root/dev/shm"
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"
mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
while [ $# -gt 0 ]; do
    kind=$1 src=$2 dst=$3; shift 3
    case "$kind" in
        --tmpfs) mkdir -p "$root$src"; mount -t tmpfs -o mode=755 tmpfs "$root$src" ;;
        *)
            mkdir -p "$root$dst"
            mount --bind "$src" "$root$dst"
            [ "$kind" = --ro-bind ] && mount -o remount,bind,ro "$root$dst"
            ;;
    esac
done
cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
env=(HOME=/root PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin
     TERM="${TERM:-dumb}" LANG=C.UTF-8 ${SORVANE_ROOT_ENV:-})
exec chroot "$root" /usr/bin/env -i "${env[@]}" /bin/bash -c "cd \"\$0\" && exec $cmd" "$cwd"
' bash "$root" "$cwd" "$cmd" "${mounts[@]}"
}

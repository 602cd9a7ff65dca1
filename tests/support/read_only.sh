#!/bin/sh
# read_only.sh <dir> <command> [args...]: runs the command with <dir> mounted read-only, in a
# mount namespace of its own (start it under `unshare --mount --propagation unchanged`; needs
# root). Exit status 3: the folder could not be made read-only.
set -e
dir=$1
shift
# Inside the build root every mount is private already and "/" is no mount point, so this fails
# there; elsewhere it keeps the mounts below from reaching the machine's namespace.
mount --make-rprivate / 2>/dev/null || true
mount --bind "$dir" "$dir" && mount -o remount,bind,ro "$dir" || exit 3
if touch "$dir/.written" 2>/dev/null; then
    echo "read_only.sh: $dir is still writable" >&2
    exit 3
fi
exec "$@"

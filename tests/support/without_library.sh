#!/bin/sh
# without_library.sh <soname> <command> [args...]: runs the command where the shared library
# <soname> cannot be loaded: its file is covered by an empty one, in a mount namespace of its own
# (start it under `unshare --mount --propagation unchanged`; needs root). Where the library is
# not installed the command runs as it is. Exit status 3: the library could not be covered.
set -e
soname=$1
shift
# Inside the build root every mount is private already and "/" is no mount point, so this fails
# there; elsewhere it keeps the mount below from reaching the machine's namespace.
mount --make-rprivate / 2>/dev/null || true
file=$(ldconfig -p | awk -v name="$soname" '$1 == name { print $NF; exit }')
if [ -n "$file" ]; then
    file=$(readlink -f "$file")
    mount --bind /dev/null "$file" || exit 3
    if [ -s "$file" ]; then
        echo "without_library.sh: $file is still there" >&2
        exit 3
    fi
fi
exec "$@"

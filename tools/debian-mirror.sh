#!/usr/bin/env bash
# Prints the Debian archive URI the build roots are made from: $SORVANE_DEBIAN_MIRROR when set,
# otherwise the first main-archive URI of this machine's own apt sources (deb822 files in
# /etc/apt/sources.list.d/ and one-line entries in /etc/apt/sources.list), so a root follows
# whatever mirror or proxy the machine is set up with. Security archives are skipped.
set -euo pipefail
if [ -n "${SORVANE_DEBIAN_MIRROR:-}" ]; then
    echo "$SORVANE_DEBIAN_MIRROR"
    exit 0
fi
apt_dir=${SORVANE_APT_DIR:-/etc/apt}
uris=()
# One-line format: deb [options] URI suite components...
for f in "$apt_dir"/sources.list "$apt_dir"/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    while read -r type rest; do
        [ "$type" = deb ] || continue
        rest=$(sed -E 's/^\[[^]]*\] *//' <<<"$rest")
        read -r uri suite _ <<<"$rest"
        case "$suite" in *security*) continue ;; esac
        uris+=("$uri")
    done < <(grep -E '^\s*deb\s' "$f")
done
# deb822 format: stanzas with Types:, URIs:, Suites:.
for f in "$apt_dir"/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    while IFS= read -r uri; do uris+=("$uri"); done < <(awk '
        function flush() { if (types ~ /(^| )deb( |$)/ && suites !~ /security/ && enabled != "no") for (i = 1; i <= n; i++) print u[i]; types = ""; suites = ""; n = 0; enabled = "" }
        /^[ \t]*#/ { next }
        /^[ \t]*$/ { flush(); next }
        tolower($1) == "types:" { types = ""; for (i = 2; i <= NF; i++) types = types " " $i; types = types " " }
        tolower($1) == "uris:" { n = 0; for (i = 2; i <= NF; i++) u[++n] = $i }
        tolower($1) == "suites:" { suites = ""; for (i = 2; i <= NF; i++) suites = suites " " $i }
        tolower($1) == "enabled:" { enabled = tolower($2) }
        END { flush() }' "$f")
done
for u in "${uris[@]}"; do
    # The Debian archive itself: its dists/ carries the suites the roots need.
    case "$u" in */debian|*/debian/) echo "${u%/}"; exit 0 ;; esac
done
echo "debian-mirror.sh: no Debian archive found in $apt_dir/sources.list{,.d}; set SORVANE_DEBIAN_MIRROR" >&2
exit 1

#!/usr/bin/env bash
# Assembles the Qt runtime directory that libsorvane.so.0 points Qt at:
#
#   <project-root>/addons/webview/linux_x86_64-runtime/
#       qml/  plugins/  libexec/QtWebEngineProcess  resources/  translations/qtwebengine_locales/
#       resources/locales -> ../translations/qtwebengine_locales
#
# from the Qt installation that qmake6 reports (the Qt the library is built against).
#
#   make-runtime.sh [--copy] <project-root>
#
# By default the entries are symbolic links into the Qt installation, which is what tests and a
# development machine want. --copy copies them instead, for a game project that is shipped.
set -euo pipefail

mode=link
if [ "${1:-}" = --copy ]; then mode=copy; shift; fi
if [ $# -ne 1 ] || [ "${1:-}" = --help ] || [ "${1:-}" = -h ]; then
    sed -n '2,13s/^# \{0,1\}//p' "$0"
    exit 2
fi

root=$1
qmake=$(command -v qmake6 || command -v qmake || true)
[ -n "$qmake" ] || { echo "make-runtime.sh: qmake6 not found; run it where Qt 6.8 is installed" >&2; exit 1; }
q() { "$qmake" -query "$1"; }

runtime="$root/addons/webview/linux_x86_64-runtime"
mkdir -p "$runtime/libexec" "$runtime/translations"

place() {  # place <source> <destination>
    local src=$1 dst=$2
    [ -e "$src" ] || { echo "make-runtime.sh: missing in the Qt installation: $src" >&2; exit 1; }
    rm -rf "$dst"
    if [ $mode = link ]; then ln -s "$src" "$dst"; else cp -a "$src" "$dst"; fi
}

place "$(q QT_INSTALL_QML)" "$runtime/qml"
place "$(q QT_INSTALL_PLUGINS)" "$runtime/plugins"
place "$(q QT_INSTALL_LIBEXECS)/QtWebEngineProcess" "$runtime/libexec/QtWebEngineProcess"
place "$(q QT_INSTALL_TRANSLATIONS)/qtwebengine_locales" "$runtime/translations/qtwebengine_locales"
# resources/ is a folder of its own, not a link to Qt's: the web engine's helper process creates
# resources/locales where there is none, and it must not write into the Qt installation. The
# link below gives it the locales folder it looks for.
[ -L "$runtime/resources" ] && rm "$runtime/resources"
mkdir -p "$runtime/resources"
for file in "$(q QT_INSTALL_DATA)"/resources/*; do
    [ -f "$file" ] || continue  # files only: a "locales" folder there is one an older layout made
    place "$file" "$runtime/resources/$(basename "$file")"
done
rm -rf "$runtime/resources/locales"
ln -s ../translations/qtwebengine_locales "$runtime/resources/locales"

echo "$runtime"

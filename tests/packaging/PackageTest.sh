#!/usr/bin/env bash
# Makes the Debian package, installs it on this machine, runs the programs from /usr/bin and
# removes the package again. It changes the system, so it runs only in CI (CI=true) or when
# TOLVANE_PACKAGE_TEST=1 asks for it, and it needs root (or sudo).
# Usage: PackageTest.sh BUILD_DIR
set -euo pipefail
if [ "${CI:-}" != "true" ] && [ "${TOLVANE_PACKAGE_TEST:-}" != "1" ]; then
    echo "skipped: this test installs a package; CI=true or TOLVANE_PACKAGE_TEST=1 runs it"
    exit 77
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo -n"
fi
build=$(cd "$1" && pwd)
work=$(mktemp -d)
installed=0
finish() {
    if [ "$installed" -eq 1 ]; then
        $sudo dpkg -r tolvane >/dev/null 2>&1 || true
    fi
    rm -rf "$work"
}
trap finish EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; exit 1; }
deb=$(ls "$work"/out/tolvane_*.deb)
echo "== $(basename "$deb")"
dpkg-deb -f "$deb" Package Version Section Maintainer Depends
dpkg-deb -c "$deb" | awk '{print $6}' | tee "$work/files"

export DEBIAN_FRONTEND=noninteractive
installed=1
if ! $sudo dpkg -i "$deb"; then
    $sudo apt-get -f install -y -q
fi
dpkg-query -W -f='${Status}\n' tolvane | grep -qx 'install ok installed'

cd "$work"
/usr/bin/tolvane-cli new empty.syx
checked=$(/usr/bin/tolvane-cli check empty.syx)
echo "tolvane-cli check: $checked"
[ "$checked" = "0 No error" ]
# The version needs no display.
version=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/Tolvane --version)
echo "$version"
[[ "$version" == "Tolvane "[0-9]* ]]
[ -f /usr/share/doc/tolvane/Tolvane.htm ]

$sudo dpkg -r tolvane
installed=0
# Nothing the package brought stays behind (folders may be shared with other packages).
left=0
while read -r path; do
    path=${path#.}
    if [ -n "$path" ] && [ "${path%/}" = "$path" ] && [ -e "$path" ]; then
        echo "left behind: $path" >&2
        left=1
    fi
done <"$work/files"
[ "$left" -eq 0 ]
echo "the package installs, runs and uninstalls cleanly"

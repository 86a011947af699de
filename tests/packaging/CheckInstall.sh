#!/usr/bin/env bash
# Installs the build into a scratch folder and checks what lands there: the layout, and the
# desktop entries, AppStream data, MIME type, icons and manual pages with the freedesktop tools.
# Usage: CheckInstall.sh BUILD_DIR STAGE_DIR
set -euo pipefail
build=$1
stage=$2
rm -rf "$stage"
cmake --install "$build" --prefix "$stage" >/dev/null

status=0
fail() {
    echo "FAIL: $*" >&2
    status=1
}
# Runs a checker that must succeed and print nothing.
quiet() {
    local out
    if ! out=$("$@" 2>&1) || [ -n "$out" ]; then
        fail "$*"
        [ -z "$out" ] || echo "$out" >&2
    fi
}

programs=$(ls "$stage/bin" | tr '\n' ' ')
[ "$programs" = "Quillon Tolvane tolvane-cli " ] || fail "bin/ holds: $programs"
[ -f "$stage/share/doc/tolvane/Tolvane.htm" ] || fail "no help page in share/doc/tolvane"

for page in tolvane-cli Tolvane Quillon; do
    file=$stage/share/man/man1/$page.1.gz
    if [ -f "$file" ]; then
        # man -l renders to the pipe without a pager; groff's warnings come on stderr.
        warnings=$(MANWIDTH=80 man --warnings -E UTF-8 -l "$file" 2>&1 >/dev/null)
        [ -z "$warnings" ] || fail "man $page: $warnings"
    else
        fail "no manual page $page.1.gz"
    fi
done

apps=$stage/share/applications
for id in example.morvik.tolvane example.morvik.quillon; do
    if [ -f "$apps/$id.desktop" ]; then
        quiet desktop-file-validate "$apps/$id.desktop"
    else
        fail "no desktop entry $id.desktop"
    fi
done
grep -qx 'MimeType=application/x-riv10-sysex;' "$apps/example.morvik.tolvane.desktop" ||
    fail "Tolvane's desktop entry does not handle the system dump type"

appstreamcli validate --no-net --pedantic "$stage/share/metainfo/example.morvik.tolvane.metainfo.xml" >/dev/null ||
    fail "appstreamcli validate"
# The whole tree: the metainfo together with the desktop entry and the icon it names.
appstreamcli validate-tree --no-net --pedantic "$stage" >/dev/null || fail "appstreamcli validate-tree"

# update-mime-database reads the package like a desktop does and complains about anything amiss.
XDG_DATA_DIRS=$stage/share:${XDG_DATA_DIRS:-/usr/local/share:/usr/share} quiet update-mime-database "$stage/share/mime"
[ -f "$stage/share/mime/application/x-riv10-sysex.xml" ] || fail "the MIME type did not register"

hicolor=$stage/share/icons/hicolor
for icon in apps/example.morvik.tolvane apps/example.morvik.quillon mimetypes/application-x-riv10-sysex; do
    [ -f "$hicolor/scalable/$icon.svg" ] || fail "no scalable icon $icon"
    for size in 16 22 24 32 48 64 128 256; do
        file "$hicolor/${size}x${size}/$icon.png" 2>/dev/null | grep -q "PNG image data, $size x $size," ||
            fail "no ${size}x${size} icon $icon"
    done
done

[ "$status" -eq 0 ] && echo "installed layout and desktop files check out"
exit "$status"

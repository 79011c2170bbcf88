#!/usr/bin/env bash
# Makes the Debian package from a built tree, unpacks it into a scratch root and runs what it
# installed: the command-line tool on the samples, the editor's --version, and the checks of
# the desktop entry, the MIME type and the man pages; given a python3, the Python module on a
# sample.
#
#   package_test.sh BUILD_DIR SAMPLES_DIR VERSION [PYTHON3]
set -euo pipefail
build=$1
samples=$2
version=$3
python=${4:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_RUNTIME_DIR=$work
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) ||
    fail "cpack: $(cat "$work/cpack.log")"
debs=("$work"/out/*.deb)
[ ${#debs[@]} -eq 1 ] || fail "expected one package, found ${debs[*]}"
deb=${debs[0]}
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version $(dpkg-deb -f "$deb" Version)"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libqt6widgets6 libc6 libstdc++6; do
    [[ $depends == *"$library"* ]] || fail "Depends lacks $library: $depends"
done

root=$work/root
dpkg-deb -x "$deb" "$root"
for file in usr/bin/vertwright usr/bin/vertwright-cli \
    usr/share/applications/vertwright.desktop \
    usr/share/icons/hicolor/scalable/apps/vertwright.svg \
    usr/share/icons/hicolor/256x256/apps/vertwright.png \
    usr/share/mime/packages/vertwright.xml usr/share/thumbnailers/vertwright.thumbnailer \
    usr/share/man/man1/vertwright.1.gz usr/share/man/man1/vertwright-cli.1.gz; do
    [ -f "$root/$file" ] || fail "the package lacks /$file"
done

# The installed tool's folder holds no companion files: the delta sample needs --program-dir.
cli=$root/usr/bin/vertwright-cli
for model in house fish6; do
    "$cli" info "$samples/$model.ebo" >"$work/info" || fail "info $model.ebo exited $?"
    grep -q "layout" "$work/info" || fail "info $model.ebo printed: $(cat "$work/info")"
    "$cli" check "$samples/$model.ebo" || fail "check $model.ebo exited $?"
done
"$cli" info "$samples/head2.ebo" --program-dir "$samples" >/dev/null || fail "info head2.ebo"
"$cli" check "$samples/head2.ebo" --program-dir "$samples" || fail "check head2.ebo"
code=0
"$cli" info "$samples/head2.ebo" >/dev/null 2>&1 || code=$?
[ "$code" -eq 1 ] || fail "head2.ebo without its companion files exited $code, not 1"

if [ -n "$python" ]; then
    modules=("$root"/usr/lib/python3*/dist-packages)
    [ -f "${modules[0]}/vertwright.pyi" ] || fail "the package lacks the module's type stubs"
    layout=$(PYTHONPATH=${modules[0]} "$python" -c \
        'import sys, vertwright; print(vertwright.open(sys.argv[1]).layout)' "$samples/fish6.ebo") ||
        fail "the packaged Python module did not open fish6.ebo"
    [ "$layout" = version6 ] || fail "the packaged Python module read fish6.ebo as '$layout'"
fi

out=$(env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$root/usr/bin/vertwright" --version) ||
    fail "the installed editor's --version exited $?"
[ "$out" = "vertwright $version" ] || fail "the installed editor's --version printed '$out'"

# The thumbnailer's Exec line as a file manager runs it: %i the model, %o the picture, %s the size.
thumbnailer=$root/usr/share/thumbnailers/vertwright.thumbnailer
grep -qx 'MimeType=model/x-ebo;' "$thumbnailer" || fail "the thumbnailer names no model/x-ebo"
exec_line=$(sed -n 's/^Exec=//p' "$thumbnailer")
for model in house head2; do
    command=${exec_line//%i/$samples/$model.ebo}
    command=${command//%o/$work/$model.png}
    command=${command//%s/128}
    PATH=$root/usr/bin:$PATH $command || fail "the thumbnailer's '$command' exited $?"
    [ "$(head -c 8 "$work/$model.png" | od -An -tx1 | tr -d ' ')" = 89504e470d0a1a0a ] ||
        fail "the thumbnailer wrote no PNG for $model.ebo"
done

desktop-file-validate "$root/usr/share/applications/vertwright.desktop" ||
    fail "desktop-file-validate"
update-mime-database "$root/usr/share/mime" || fail "update-mime-database"
grep -q '\*\.ebo' "$root/usr/share/mime/globs2" || fail "no *.ebo glob in the MIME database"
grep -q "model/x-ebo" "$root/usr/share/mime/types" || fail "model/x-ebo is no MIME type"
if command -v groff >/dev/null; then
    for page in "$root"/usr/share/man/man1/*.1.gz; do
        warnings=$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1)
        [ -z "$warnings" ] || fail "$(basename "$page"): $warnings"
    done
fi
echo PASS

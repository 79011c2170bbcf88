#!/usr/bin/env bash
# The editor answers --help and --version on a machine with no display at all (a window would
# abort there), exits 0, and refuses an unknown option with exit 2.
#
#   help_version_test.sh VERTWRIGHT VERSION
set -euo pipefail
editor=$1
version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work XDG_RUNTIME_DIR=$work
fail() {
    echo "FAIL: $*" >&2
    exit 1
}
headless() {
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=xcb "$@"
}

headless "$editor" --help >"$work/out" 2>"$work/err" || fail "--help exited $?: $(cat "$work/err")"
[ ! -s "$work/err" ] || fail "--help wrote to standard error: $(cat "$work/err")"
for expected in "--companions <dir>" "--help" "--version" "[model.ebo]"; do
    grep -qF -- "$expected" "$work/out" || fail "--help does not list $expected"
done

out=$(headless "$editor" --version) || fail "--version exited $?"
[ "$out" = "vertwright $version" ] || fail "--version printed '$out'"

code=0
QT_QPA_PLATFORM=offscreen "$editor" --bogus >"$work/out" 2>"$work/err" || code=$?
[ "$code" -eq 2 ] || fail "an unknown option exited $code, not 2"
grep -q "bogus" "$work/err" || fail "an unknown option is not named: $(cat "$work/err")"
echo PASS

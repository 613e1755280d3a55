#!/bin/sh
# scripts/check-installed.sh BUILD_DIR: after the package is installed, runs
# the installed tessaglyph-convert on one picture and the installed window
# once on a virtual X display: it shows its title, closes, and has written
# its settings into the XDG folder, not beside itself. BUILD_DIR holds the
# test helper that closes the window as a window manager would.
set -eu
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() { echo "check-installed: $*" >&2; exit 1; }

# A 2x2 PPM, made without any picture tool.
printf 'P6\n2 2\n255\n\377\0\0\0\377\0\0\0\377\377\377\377' > "$work/dot.ppm"
mkdir "$work/out"
/usr/bin/tessaglyph-convert -f png -o "$work/out" "$work/dot.ppm" | grep -qx 'Convert picture OK.' ||
  fail "tessaglyph-convert did not convert the picture"
[ -s "$work/out/dot.png" ] || fail "no out/dot.png"
echo "check-installed: tessaglyph-convert wrote dot.png"

rm -f /usr/bin/config.ini
mkdir "$work/home"
HOME="$work/home" XDG_CONFIG_HOME="$work/xdg" xvfb-run -a \
  "$here/tests/app/smoke_test.sh" /usr/bin/tessaglyph "$build/send_close_request"
grep -q '^\[Single\]' "$work/xdg/tessaglyph/config.ini" || fail "no settings in \$XDG_CONFIG_HOME/tessaglyph/config.ini"
[ ! -e /usr/bin/config.ini ] || fail "the installed program wrote /usr/bin/config.ini"
echo "check-installed: settings written to \$XDG_CONFIG_HOME/tessaglyph/config.ini"

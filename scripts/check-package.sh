#!/bin/sh
# scripts/check-package.sh BUILD_DIR: checks the desktop entry and the
# AppStream metainfo that go into the package, as software centres and
# desktops read them. Fails on any error or warning.
set -eu
files="$1/package-files"
desktop-file-validate "$files/tessaglyph.desktop"
appstreamcli validate --no-net --explain "$files"/*.metainfo.xml

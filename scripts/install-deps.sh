#!/bin/sh
# Installs the Debian packages the build, the program and the tests need.
# On a ready machine it only asks dpkg and returns at once.
set -eu

# liblcms2-utils and libgs-common: the colour tests' reference engine
# (tificc) and the ICC profiles they convert through.
PACKAGES="build-essential cmake ninja-build pkg-config \
qt6-base-dev libgl-dev libmagick++-6.q16-dev libraw-dev liblcms2-dev \
libgtest-dev libgmock-dev libbenchmark-dev \
liblcms2-utils libgs-common \
xvfb xauth x11-utils libx11-dev fonts-wqy-microhei"
# `--hardening`: also clang with its sanitizer and libFuzzer runtimes, and
# llvm-symbolizer for readable reports (`make sanitize`, `make fuzz`).
if [ "${1:-}" = "--hardening" ]; then
  PACKAGES="$PACKAGES clang libclang-rt-14-dev llvm-14"
fi

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Some packages are missing. Install them with:" >&2
  echo "  sudo apt-get install -y$missing" >&2
  exit 1
fi

echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing

#!/bin/sh
# scripts/install-deps.sh [SET...]: installs the Debian packages of the named
# sets (default: run). On a ready machine it only asks dpkg and returns at once.
#   run        building and running the program and its worker
#   test       run, plus GoogleTest, the virtual X display and the test fonts
#   package    run, plus the tools that build and check the .deb (`make package`)
#   hardening  test, plus clang with its sanitizer and libFuzzer runtimes and
#              llvm-symbolizer for readable reports (`make sanitize`, `make fuzz`)
# Run by another user than root it installs nothing: it prints the one command
# that would, on standard error, and exits 1.
set -eu

RUN="build-essential cmake ninja-build pkg-config \
qt6-base-dev libgl-dev libmagick++-6.q16-dev libraw-dev liblcms2-dev"
# liblcms2-utils and libgs-common: the colour tests' reference engine
# (tificc) and the ICC profiles they convert through.
TEST="libgtest-dev libgmock-dev xvfb xauth x11-utils libx11-dev fonts-wqy-microhei \
liblcms2-utils libgs-common"
# dpkg-shlibdeps (in dpkg-dev, part of build-essential) computes the
# package's dependencies; these check what goes into it.
PACKAGE="appstream desktop-file-utils"
HARDENING="clang libclang-rt-14-dev llvm-14"

PACKAGES="$RUN"
[ $# -eq 0 ] && set -- run
for set in "$@"; do
  case "$set" in
    run) ;;
    test) PACKAGES="$PACKAGES $TEST" ;;
    package) PACKAGES="$PACKAGES $PACKAGE" ;;
    hardening) PACKAGES="$PACKAGES $TEST $HARDENING" ;;
    *) echo "install-deps.sh: unknown set '$set' (run, test, package, hardening)" >&2; exit 2 ;;
  esac
done

missing=""
for p in $PACKAGES; do
  case " $missing " in *" $p "*) continue ;; esac
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Some Debian packages this needs are missing. Install them with:" >&2
  echo "  sudo apt-get install$missing" >&2
  echo "(Without sudo, ask your administrator to install them, or run the same command as root.)" >&2
  exit 1
fi

echo "Installing:$missing"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
# shellcheck disable=SC2086
apt-get install -y -qq --no-install-recommends $missing

#!/bin/sh
# Runs every test of a sanitizer build (see `make sanitize`) and fails on any
# sanitizer report from any process, the worker processes the engine tests
# start included.
#   tests/sanitizers/run-tests.sh BUILD_DIR [JOBS]
set -eu
build="$(cd "$1" && pwd)"
jobs="${2:-2}"
SANITIZER_LOGS="$build/sanitizer-logs"
rm -rf "$SANITIZER_LOGS"
mkdir -p "$SANITIZER_LOGS"
. "$(dirname "$0")/sanitizer-env.sh"

status=0
(cd "$build" && ctest --output-on-failure -j "$jobs") || status=$?

reports="$(find "$SANITIZER_LOGS" -type f | sort)"
if [ -n "$reports" ]; then
  for f in $reports; do
    echo "==== sanitizer report: $f"
    cat "$f"
  done
  echo "sanitize: $(echo "$reports" | wc -l) process(es) reported; see above" >&2
  exit 1
fi
if [ "$status" -ne 0 ]; then
  echo "sanitize: tests failed" >&2
  exit "$status"
fi
echo "sanitize: every test passed with no sanitizer report"

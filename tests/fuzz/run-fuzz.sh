#!/bin/sh
# Runs every fuzz target of a TESSAGLYPH_FUZZ build (see `make fuzz`) for
# FUZZ_SECONDS seconds each, one after the other, and prints per target the
# executions and the coverage reached (libFuzzer's cov and ft).
#   FUZZ_SECONDS=60 tests/fuzz/run-fuzz.sh BUILD_DIR [TARGET...]
#
# Any failure of a target ends the run with an error: a crash, a sanitizer
# report, a timeout, a memory blow-up or a broken property. The picture
# decoder is the exception, since most of its code is ImageMagick's, LibRaw's
# and their codec libraries': it runs in fork mode and goes on after a
# failure, and each failure is then replayed and sorted by the first stack
# frame outside the sanitizer runtime and the C and C++ runtimes. A frame of
# our source tree makes it our fault and fails the run; anything else is
# counted as a failure of the library, which in the program costs one job
# (a worker crash or hang is contained by the engine).
set -eu

build="$(cd "$1" && pwd)"
shift
seconds="${FUZZ_SECONDS:-60}"
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
pngsuite="${TESSAGLYPH_TESTDATA_DIR:-$root/../shared/testdata}/pngsuite"
work="$build/fuzz"
targets="${*:-ini_file naming worker_messages launch_command picture_decoder}"

# Reports go to each target's log, where libFuzzer's own output is.
SANITIZER_LOGS=""
. "$here/../sanitizers/sanitizer-env.sh"

# Prints "ours", "library" or "none" for a replayed failure's output: the
# first frame of the first stack (of every stack for leaks) that is not in a
# runtime decides.
classify() {
  awk -v root="$root/" '
    /LeakSanitizer/ { leak = 1 }
    /^ *#[0-9]+ / {
      if ($1 == "#0") { stack++; decided = 0 }
      if (decided || (stack > 1 && !leak)) next
      if ($0 ~ /compiler-rt\/|libc\.so|libstdc\+\+\.so|libgcc_s\.so|libm\.so|ld-linux|in (raise|abort|__libc_start|_start)( |$)/) next
      decided = 1
      if (index($0, root) > 0) ours = 1; else library = 1
    }
    /tessaglyph-fuzz: property failed/ { ours = 1 }
    END { print ours ? "ours" : (library ? "library" : "none") }'
}

summary=""
failed=0
library_total=0
for target in $targets; do
  binary="$build/fuzz_$target"
  corpus="$work/corpus/$target"
  artifacts="$work/artifacts/$target"
  log="$work/$target.log"
  rm -rf "$artifacts"
  mkdir -p "$corpus" "$artifacts"
  seeds="$here/corpus/$target"
  [ "$target" = picture_decoder ] && [ -d "$pngsuite" ] && seeds="$seeds $pngsuite"
  options="-max_total_time=$seconds -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix=$artifacts/"
  [ "$target" = picture_decoder ] && options="$options -fork=1 -ignore_crashes=1 -ignore_timeouts=1 -ignore_ooms=1"

  echo "fuzz: $target for $seconds s"
  status=0
  # shellcheck disable=SC2086
  "$binary" $options "$corpus" $seeds >"$log" 2>&1 || status=$?

  stats="$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1 || true)"
  runs="$(echo "$stats" | sed -n 's/^#\([0-9]*\).*/\1/p')"
  executed="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
  [ -n "$executed" ] && runs="$executed"
  cov="$(echo "$stats" | sed -n 's/.*cov: \([0-9]*\).*/\1/p')"
  ft="$(echo "$stats" | sed -n 's/.* ft: \([0-9]*\).*/\1/p')"
  result="ok"

  if [ "$target" = picture_decoder ]; then
    ours=0
    library=0
    for input in "$artifacts"/*; do
      [ -f "$input" ] || continue
      replay="$input.replay.log"
      "$binary" -timeout=10 -rss_limit_mb=2048 "$input" >"$replay" 2>&1 || true
      kind="$(classify <"$replay")"
      what="$(grep -m 1 -E 'ERROR: (AddressSanitizer|LeakSanitizer|libFuzzer)|runtime error|property failed' "$replay" || true)"
      [ -n "$what" ] || what="$(basename "$input"): did not fail again when replayed"
      case "$kind" in
        ours) ours=$((ours + 1)); echo "fuzz: $target: OUR FAULT $input: $what" ;;
        *) library=$((library + 1)); echo "fuzz: $target: library failure $input: $what" ;;
      esac
    done
    library_total=$((library_total + library))
    [ "$library" -gt 0 ] && result="ok, $library library failure(s)"
    if [ "$ours" -gt 0 ] || { [ "$status" -ne 0 ] && [ -z "$stats" ]; }; then
      result="FAILED ($ours of our own)"
      failed=1
    fi
  elif [ "$status" -ne 0 ]; then
    result="FAILED: $(grep -m 1 -E 'ERROR: |runtime error|property failed' "$log" || echo "exit $status")"
    failed=1
    echo "fuzz: $target failed; input kept in $artifacts, log in $log"
    grep -A 40 -m 1 -E 'ERROR: |runtime error|property failed' "$log" || tail -n 40 "$log"
  fi
  summary="$summary$(printf '%-16s %12s execs  cov %6s  ft %7s  %s' "$target" "${runs:-?}" "${cov:-?}" "${ft:-?}" "$result")
"
done

echo
echo "fuzz summary ($seconds s per target):"
printf '%s' "$summary"
[ "$library_total" -gt 0 ] && echo "library failures are contained by the engine; keep their inputs in tests/fuzz/library-failures/"
exit "$failed"

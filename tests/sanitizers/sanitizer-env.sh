# Sourced by the sanitizer and fuzz runs: how every sanitized process of a
# run reports. When $SANITIZER_LOGS names a folder, reports go to files
# there, one per process, so that a report in a worker (which the engine only
# sees as a crashed job, or not at all when it comes at exit) fails the run
# just like one in a test; otherwise they go to standard error.

sanitizer_dir="$(cd "$(dirname "$0")/../sanitizers" && pwd)"
symbolizer="$(command -v llvm-symbolizer || ls /usr/lib/llvm-*/bin/llvm-symbolizer 2>/dev/null | tail -n 1 || true)"

# allocator_may_return_null: ImageMagick and LibRaw check their large
# allocations for NULL, as glibc's malloc gives it; without it ASan would end
# the process on a request that the libraries handle.
ASAN_OPTIONS="halt_on_error=1:abort_on_error=0:detect_leaks=1:allocator_may_return_null=1"
UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
if [ -n "${SANITIZER_LOGS:-}" ]; then
  ASAN_OPTIONS="$ASAN_OPTIONS:log_path=$SANITIZER_LOGS/report"
  UBSAN_OPTIONS="$UBSAN_OPTIONS:log_path=$SANITIZER_LOGS/report"
fi
LSAN_OPTIONS="suppressions=$sanitizer_dir/lsan.supp:print_suppressions=0"
if [ -n "$symbolizer" ]; then
  ASAN_OPTIONS="$ASAN_OPTIONS:external_symbolizer_path=$symbolizer"
  UBSAN_OPTIONS="$UBSAN_OPTIONS:external_symbolizer_path=$symbolizer"
fi
export ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS

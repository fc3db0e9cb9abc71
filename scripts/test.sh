#!/usr/bin/env bash
# Set-up, then the whole test suite twice: a normal build, and a build with AddressSanitizer
# and UndefinedBehaviorSanitizer. Exits non-zero when any test fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc)
export QT_QPA_PLATFORM=offscreen
# Qt wants a private runtime folder; a machine without a desktop session has none.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi

echo "== Normal build"
bash scripts/build.sh build -DTROV_WERROR=ON
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== Sanitizer build (address, undefined)"
bash scripts/build.sh build-asan -DTROV_SANITIZE=ON -DTROV_WERROR=ON
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir build-asan --output-on-failure -j "$jobs"

#!/usr/bin/env bash
# Builds the benchmark into build-bench/ and runs it; the arguments go to the program, for
# example --load for the load check, or --stations=200 --weeks=30 for a shorter run; --client
# runs the client's memory check instead (further arguments, e.g. --seconds=5, go to it).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if ! log=$(bash scripts/build.sh build-bench -DTROV_TESTS=OFF 2>&1); then
  echo "$log" >&2
  exit 1
fi
export QT_QPA_PLATFORM=offscreen
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
  XDG_RUNTIME_DIR=$(mktemp -d)
  export XDG_RUNTIME_DIR
fi
if [ "${1:-}" = --client ]; then
  shift
  for stream in tabless messages; do
    ./build-bench/bench/trov_client_memory --stream=$stream "$@"
  done
  exit
fi
exec ./build-bench/bench/trov_bench "$@"

#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test three ways:
#   build       warnings as errors, every test (unit, end-to-end, benchmark smoke run),
#               and the voice and devices suites once more on PipeWire
#   build-asan  AddressSanitizer + UndefinedBehaviorSanitizer, every test
#   build-tsan  ThreadSanitizer over the whole program: the plain-C++ unit tests and
#               the call, voice, window and devices end-to-end suites
# and then the Debian package of the main build, installed and used.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
root=$(pwd)
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
export QT_QPA_PLATFORM=offscreen

run_ctest() {
  local dir=$1
  shift
  ctest --test-dir "$dir" --output-on-failure --no-tests=error "$@"
}

echo "== Include check"
python3 scripts/check-includes.py

echo "== ThreadSanitizer build"
BUILD_TARGETS="plain_tests ondrel" bash scripts/build.sh build-tsan \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DONDREL_WERROR=ON -DONDREL_SANITIZE=thread -DONDREL_BENCH=OFF
run_ctest build-tsan -j2 -L plain
# The program itself in real calls: a report does not stop a copy (the test
# would only see a copy gone), it is written to a file that fails the run.
reports=$root/build-tsan/tsan-reports
rm -rf "$reports" && mkdir -p "$reports"
TSAN_OPTIONS="halt_on_error=0:second_deadlock_stack=1:suppressions=$root/tests/tsan.supp:log_path=$reports/report" \
  run_ctest build-tsan -R '^e2e\.test_(call|voice|window|devices|mixer|accept)$'
if compgen -G "$reports/report*" > /dev/null; then
  cat "$reports"/report*
  echo "ThreadSanitizer reported data races in the program" >&2
  exit 1
fi

echo "== AddressSanitizer + UndefinedBehaviorSanitizer build"
BUILD_TARGETS="" bash scripts/build.sh build-asan \
  -DCMAKE_BUILD_TYPE=Debug -DONDREL_WERROR=ON -DONDREL_SANITIZE=address,undefined -DONDREL_BENCH=OFF
run_ctest build-asan -j2 -LE e2e
# The crash-safety loop's 200 kills run in the main tree; here a sample.
ONDREL_SANITIZED=1 ONDREL_CRASH_KILLS=40 run_ctest build-asan -L e2e

echo "== Main build"
BUILD_TARGETS="" bash scripts/build.sh build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DONDREL_WERROR=ON
run_ctest build -j2 -LE e2e
# The impairment soak runs two minutes a sound type here (ten on request).
ONDREL_SOAK_SECONDS=120 run_ctest build -L e2e
# The suites whose sound goes through the server's streams, once more on
# PipeWire (through its PulseAudio service), which most desktops now ship.
ONDREL_SOUND_SERVER=pipewire run_ctest build -R '^e2e\.test_(voice|devices)$'

echo "== Debian package: validators, install, use, remove"
bash scripts/package-test.sh build

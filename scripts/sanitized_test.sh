#!/bin/sh
# The second test pass: the whole suite again (the Qt tests and the real-window test
# included), built with AddressSanitizer and UndefinedBehaviorSanitizer in a tree of its
# own. Any sanitizer report fails the pass, also one from a process whose exit status no
# test reads: the runtimes write their reports to files (sanitizers/Defaults.cpp), shown here.
set -e
build=${1:-build-asan}
reports="$build/sanitizer-reports"

show_reports() {
  found=$(find "$reports" -type f -name 'report.*' 2>/dev/null | sort)
  [ -z "$found" ] && return 0
  for file in $found; do
    echo "==== $file"
    cat "$file"
  done
  echo "Sanitizer reports: $(echo "$found" | wc -l)"
  return 1
}

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAMIRO_SANITIZE=ON \
  -DTAMIRO_BENCHMARKS=OFF -DTAMIRO_TOOLS=OFF >/dev/null
mkdir -p "$reports"
rm -f "$reports"/report.*
# Building lists each test binary's tests, which already runs them under the sanitizers.
if ! ninja -C "$build"; then
  show_reports || true
  exit 1
fi
status=0
ctest --test-dir "$build" --output-on-failure --timeout 900 || status=$?
show_reports || status=1
[ "$status" -eq 0 ] && echo "Sanitizer pass: no reports."
exit "$status"

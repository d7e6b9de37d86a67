#!/usr/bin/env bash
# Runs every end-to-end test (tests/e2e/*_test.sh) against one Windows build under Wine.
#
# Usage: tests/e2e/run.sh [path/to/install.exe]   (default build/win64/install.exe)
# Each test prints PASS/FAIL per check; the exit status is non-zero when any test failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=${1:-$here/../../build/win64/install.exe}

# One Wine prefix template for the whole run (about 15 s); every test copies it.
source "$here/lib.sh"
shared=$E2E_OUT/run.shared.$$
trap 'rm -rf "$shared"' EXIT
if e2e_boot_template "$shared/template" "$E2E_OUT/logs/template.log"; then
  export E2E_SHARED_TEMPLATE=$shared/template
fi

failed=()
for test in "$here"/*_test.sh; do
  [ -e "$test" ] || continue
  printf '\n---- %s\n' "$(basename "$test")"
  "$test" "$exe" || failed+=("$(basename "$test")")
done

if [ "${#failed[@]}" -gt 0 ]; then
  printf '\nend-to-end tests failed: %s\n' "${failed[*]}"
  exit 1
fi
printf '\nall end-to-end tests passed\n'

#!/usr/bin/env bash
# Runs every end-to-end test (tests/e2e/*_test.sh) against one Windows build under Wine: the
# 64-bit build under wine64, the 32-bit product under the 32-bit Wine (the lane follows the
# program's machine type).
#
# Usage: tests/e2e/run.sh [path/to/install.exe]   (default build/win64/install.exe)
# Each test prints PASS/FAIL per check; the exit status is non-zero when any test failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
exe=${1:-$here/../../build/win64/install.exe}

# One Wine prefix template for the whole run (about 15 s); every test copies it. The lane
# (win64 or win32) follows the program's machine type.
source "$here/lib.sh"
e2e_program "$exe"
exe=$EXE
printf 'Lane %s: %s under %s\n' "$E2E_LANE" "$exe" "$WINE"
shared=$E2E_OUT/run.shared.$$
trap 'rm -rf "$shared"' EXIT
if e2e_boot_template "$shared/template" "$E2E_OUT/logs/template.log"; then
  export E2E_SHARED_TEMPLATE=$shared/template
fi

failed=()
passes=0
fails=0

# The lane's own guard: a program of the other machine type is refused before Wine is started
# (wine64 given a 32-bit program prints nothing, exits 0 and does nothing).
case $E2E_LANE in win64) other=$here/../../build/win32/install.exe ;; *) other=$here/../../build/win64/install.exe ;; esac
if [ -f "$other" ]; then
  printf '\n---- lane guard\n'
  if e2e_runnable "$other" 2>/dev/null; then
    echo "FAIL  the $E2E_LANE lane refuses $(basename "$(dirname "$other")")/install.exe"
    fails=$((fails + 1))
    failed+=("lane guard")
  else
    echo "PASS  the $E2E_LANE lane refuses $(basename "$(dirname "$other")")/install.exe"
    passes=$((passes + 1))
  fi
fi
# Adds the PASS and FAIL lines of the output FILE to the closing count.
tally() {
  passes=$((passes + $(grep -c '^PASS' "$1")))
  fails=$((fails + $(grep -c '^FAIL' "$1")))
}
for test in "$here"/*_test.sh; do
  [ -e "$test" ] || continue
  name=$(basename "$test" .sh)
  printf '\n---- %s\n' "$name"
  # To a file, never a pipe: a Wine process that outlives the test would hold a pipe open.
  out=$E2E_OUT/logs/$name.out
  mkdir -p "$(dirname "$out")"
  "$test" "$exe" >"$out" 2>&1 || failed+=("$name")
  cat "$out"
  tally "$out"
done

# The Win32 back-end's own check of its temporary files and links, shell, DDE, registry and
# console, in a copy of the same template.
printf '\n---- win32 platform check\n'
out=$E2E_OUT/logs/platform_check.out
if [ -n "${E2E_SHARED_TEMPLATE:-}" ]; then
  cp -a "$E2E_SHARED_TEMPLATE" "$shared/check-prefix"
  export TUNOVAR_CHECK_PREFIX=$shared/check-prefix
fi
TUNOVAR_CHECK_MACHINE=$E2E_MACHINE "$here/build-platform-check.sh" >"$out" 2>&1 || failed+=("win32 platform check")
cat "$out"
tally "$out"

# The FileSystem suite of the unit tests, on the Win32 back-end, in the check's prefix.
printf '\n---- file system suite\n'
out=$E2E_OUT/logs/file_system_suite.out
TUNOVAR_CHECK_MACHINE=$E2E_MACHINE "$here/file-system-suite.sh" >"$out" 2>&1 || failed+=("file system suite")
cat "$out"
tally "$out"

[ "${#failed[@]}" -gt 0 ] && printf '\nend-to-end tests that failed: %s\n' "${failed[*]}"
# The closing count of every check of every test, also for scripts/test to add up.
printf '\ne2e-%s: %d passed, %d failed\n' "$E2E_LANE" "$passes" "$fails"
printf '%d %d\n' "$passes" "$fails" >"$E2E_OUT/counts"
[ "${#failed[@]}" -eq 0 ]

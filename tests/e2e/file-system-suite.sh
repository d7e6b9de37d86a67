#!/usr/bin/env bash
# Builds the FileSystem suite for Windows (static, for the lane's machine) with GoogleTest from
# its sources, and runs it on the Win32 back-end under that lane's Wine. Prints one PASS, FAIL
# or SKIP line per case.
#
#   tests/e2e/file-system-suite.sh [--build-only]
#
# Environment as tests/e2e/build-platform-check.sh: TUNOVAR_CHECK_MACHINE (x86_64, default, or
# i386), TUNOVAR_CHECK_BUILD (default build/h-wine-check-MACHINE) for the program, the compiled
# framework and the output, TUNOVAR_CHECK_PREFIX (default build/h-wine-prefix-MACHINE) for the
# Wine prefix, made on first use and kept; GOOGLETEST_SRC (default /usr/src/googletest, Debian's
# package "googletest"). Exit code 0 when every case passed.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
MACHINE=${TUNOVAR_CHECK_MACHINE:-x86_64}
OUT=${TUNOVAR_CHECK_BUILD:-$ROOT/build/h-wine-check-$MACHINE}
PREFIX=${TUNOVAR_CHECK_PREFIX:-$ROOT/build/h-wine-prefix-$MACHINE}
GTEST=${GOOGLETEST_SRC:-/usr/src/googletest}/googletest
EXE=$OUT/file_system_suite.exe
mkdir -p "$OUT"

# shellcheck source=tests/e2e/lib.sh
source "$ROOT/tests/e2e/lib.sh"
e2e_use_lane "$MACHINE" || { echo "FAIL no Wine for the machine $MACHINE"; exit 1; }
[ -f "$GTEST/src/gtest-all.cc" ] || { echo "FAIL no GoogleTest sources at $GTEST (scripts/deps windows)"; exit 1; }

# The framework's threads need the POSIX thread model of the cross compiler; the back-end does
# not mind which it gets. The framework is compiled once per machine and kept.
CXX="$E2E_MINGW-g++-posix"
FLAGS=(-std=c++20 -O1 -I "$GTEST/include" -I "$GTEST")
GTEST_OBJ=$OUT/gtest-all.o
if [ ! -f "$GTEST_OBJ" ] || [ "$GTEST/src/gtest-all.cc" -nt "$GTEST_OBJ" ]; then
  "$CXX" "${FLAGS[@]}" -c "$GTEST/src/gtest-all.cc" -o "$GTEST_OBJ.part" && mv "$GTEST_OBJ.part" "$GTEST_OBJ"
fi
# The program is built again only when a file it is made of, or a header, is newer.
if [ ! -f "$EXE" ] || [ -n "$(find "$ROOT/src/base" "$ROOT/src/platform" -maxdepth 1 -newer "$EXE" -print -quit)" ] ||
   [ -n "$(find "$ROOT/src/platform/win32" "$ROOT/tests/unit/platform/file_system_conformance.h" \
             "$ROOT/tests/e2e/file_system_suite_win32.cpp" "$ROOT/tests/e2e/win32_remove_tree.h" "$GTEST_OBJ" -newer "$EXE" -print -quit)" ]; then
  "$CXX" "${FLAGS[@]}" -static -Wall -Wextra -Wconversion -Wno-sign-conversion -I "$ROOT/src" -I "$ROOT/tests" \
    "$ROOT/tests/e2e/file_system_suite_win32.cpp" "$ROOT/src/platform/win32/file_system_win32.cpp" \
    "$ROOT/src/platform/win32/dll_search.cpp" "$ROOT"/src/base/*.cpp "$GTEST_OBJ" -o "$EXE.part"
  mv "$EXE.part" "$EXE"
fi
[ "${1:-}" = "--build-only" ] && exit 0

export WINEPREFIX=$PREFIX WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset LC_ALL LC_MESSAGES
WS=$WINESERVER
trap 'timeout 10 $WS -k >/dev/null 2>&1 || true' EXIT
if [ ! -f "$PREFIX/system.reg" ]; then
  timeout 180 "$WINE" wineboot -i >"$OUT/suite-boot.log" 2>&1
  timeout 30 $WS -w || $WS -k
fi

# A limit far above the usual few seconds: a case that hangs fails the run instead of holding it.
status=0
e2e_wine_timeout 300 "$EXE" --gtest_color=no >"$OUT/suite.out" 2>"$OUT/suite.err" || status=1
# A case's closing line carries its time; the summary repeats the failed ones without it. The
# Windows console ends its lines with CR LF.
tr -d '\r' <"$OUT/suite.out" >"$OUT/suite.txt"
sed -nE 's/^\[       OK \] ([^ ]+).* \([0-9]+ ms\)$/PASS \1/p
         s/^\[  FAILED  \] ([^ ,]+).* \([0-9]+ ms\)$/FAIL \1/p
         s/^\[  SKIPPED \] ([^ ]+).* \([0-9]+ ms\)$/SKIP \1/p' "$OUT/suite.txt"
if [ $status -ne 0 ]; then
  grep -E -A8 'Failure$' "$OUT/suite.txt" || tail -20 "$OUT/suite.txt"
  tail -5 "$OUT/suite.err"
fi
grep -q '^\[  PASSED  \]' "$OUT/suite.txt" || status=1
[ $status -eq 0 ] && echo "file system suite: all passed" || echo "file system suite: FAILED"
exit $status

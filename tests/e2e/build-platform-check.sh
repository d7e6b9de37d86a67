#!/usr/bin/env bash
# Builds the Win32 back-end's system check (static, for the lane's machine) and runs it under
# that lane's Wine and Xvfb.
#
#   tests/e2e/build-platform-check.sh [--build-only]
#
# Environment: TUNOVAR_CHECK_MACHINE, x86_64 (default: the 64-bit build under wine64) or i386
# (the 32-bit build under the 32-bit Wine); TUNOVAR_CHECK_BUILD (default
# build/h-wine-check-MACHINE) for the program and its output files, TUNOVAR_CHECK_PREFIX
# (default build/h-wine-prefix-MACHINE) for the Wine prefix, which is made on first use and
# kept. Exit code 0 when every check passed.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
MACHINE=${TUNOVAR_CHECK_MACHINE:-x86_64}
OUT=${TUNOVAR_CHECK_BUILD:-$ROOT/build/h-wine-check-$MACHINE}
PREFIX=${TUNOVAR_CHECK_PREFIX:-$ROOT/build/h-wine-prefix-$MACHINE}
EXE=$OUT/win32_platform_check.exe
mkdir -p "$OUT"

# shellcheck source=tests/e2e/lib.sh
source "$ROOT/tests/e2e/lib.sh"
e2e_use_lane "$MACHINE" || { echo "FAIL no Wine for the machine $MACHINE"; exit 1; }

"$E2E_MINGW-g++" -std=c++20 -static -O1 -Wall -Wextra -Wconversion -Wno-sign-conversion \
  -I "$ROOT/src" "$ROOT/tests/e2e/win32_platform_check.cpp" \
  "$ROOT/src/platform/win32/file_system_win32.cpp" "$ROOT/src/platform/win32/shell_win32.cpp" \
  "$ROOT/src/platform/win32/console_win32.cpp" "$ROOT/src/platform/win32/dll_search.cpp" \
  "$ROOT/src/platform/win32/clock_win32.cpp" "$ROOT/src/platform/win32/dde_conversation_win32.cpp" \
  "$ROOT/src/platform/win32/shell_links_win32.cpp" "$ROOT/src/platform/win32/code_page_win32.cpp" \
  "$ROOT"/src/base/*.cpp -o "$EXE" -lole32 -lshell32 -luser32 -ladvapi32 -luuid
[ "${1:-}" = "--build-only" ] && exit 0

export WINEPREFIX=$PREFIX WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset LC_ALL LC_MESSAGES
WS=$WINESERVER

# The display, started as the end-to-end tests start theirs; its files go beside the program.
E2E_RUN=$OUT E2E_LOGS=$OUT
trap 'timeout 10 $WS -k >/dev/null 2>&1 || true; e2e_stop_xvfb' EXIT
e2e_start_xvfb

# Every Wine step has a limit far above its usual time: a check that hangs (a DDE server that
# never answers) fails instead of holding the run for good.
if [ ! -f "$PREFIX/system.reg" ]; then
  timeout 180 "$WINE" wineboot -i >"$OUT/boot.log" 2>&1
  e2e_wine_timeout 30 "$E2E_REG" add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >>"$OUT/boot.log" 2>&1
  timeout 30 $WS -w || $WS -k
fi

# One server for the check and the steps that read its registry afterwards, kept until the
# language step: no step meets a server that is still saving the registry on its way out.
timeout 30 $WS -p >/dev/null 2>&1 || true

status=0
e2e_wine_timeout 300 "$EXE" >"$OUT/check.out" 2>"$OUT/check.err" || status=1
cat "$OUT/check.out"

# The entry the check leaves behind, read by the system's own tool, then removed.
KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\OvriTUNOVAR'
e2e_wine_timeout 30 "$E2E_REG" query "$KEY" >"$OUT/reg.out" 2>&1 || true
if grep -q 'DisplayName.*Ovri TUNOVAR - Deinstallation' "$OUT/reg.out" &&
   grep -q 'QuietUninstallString.*deinstal.exe" /S' "$OUT/reg.out" &&
   grep -q 'NoRepair.*0x1' "$OUT/reg.out" &&
   grep -q 'DisplayVersion[[:space:]]*REG_SZ[[:space:]]*1.0.0.0' "$OUT/reg.out" &&
   grep -q 'EstimatedSize[[:space:]]*REG_DWORD[[:space:]]*0x1401' "$OUT/reg.out"; then
  echo "PASS reg query shows the uninstall entry"
else
  echo "FAIL reg query shows the uninstall entry"; cat "$OUT/reg.out"; status=1
fi
unregistered=0
e2e_wine_timeout 60 "$EXE" --unregister >"$OUT/unregister.out" 2>&1 || unregistered=$?
if [ "$unregistered" = 0 ] && ! e2e_wine_timeout 30 "$E2E_REG" query "$KEY" >"$OUT/reg-after.out" 2>&1; then
  echo "PASS the entry is removed again"
else
  echo "FAIL the entry is removed again (--unregister ended with $unregistered)"; status=1
  cat "$OUT/unregister.out" "$OUT/reg-after.out" 2>/dev/null
fi

# The system language follows the locale Wine is started with.
timeout 30 $WS -k >/dev/null 2>&1 || true
if LC_ALL=de_DE.UTF-8 e2e_wine_timeout 60 "$EXE" --lang-only --expect-lang=0407 >"$OUT/lang.out" 2>&1; then
  cat "$OUT/lang.out"
else
  cat "$OUT/lang.out"; status=1
fi

[ $status -eq 0 ] && echo "win32 platform check: all passed" || echo "win32 platform check: FAILED"
exit $status

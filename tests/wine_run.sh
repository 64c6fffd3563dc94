#!/usr/bin/env bash
# Runs Windows test programs under Wine, in a Wine prefix of their own.
#   wine_run.sh --setup <prefix> <probe.exe>   make a fresh prefix; check that
#                                              Wine runs programs like the probe
#   wine_run.sh <prefix> <program.exe> [args]  run a program in that prefix
#   wine_run.sh --cleanup <prefix>             stop the prefix's Wine server and
#                                              remove the prefix (over 1 GB)
# Exit code 77 means skipped: Wine is missing or cannot run programs of this
# kind; the reason is printed (and kept in <prefix>.unusable for the runs
# that follow the setup).
#
# Debian's wine wrapper starts the 32-bit loader whenever wine32 is installed;
# on a kernel that runs no i386 programs that fails with "Exec format error".
# The setup then uses the 64-bit loader directly (kept in <prefix>.loader), so
# 64-bit programs still run; 32-bit ones fail the probe and are skipped.
set -uo pipefail

export WINEDEBUG=-all
# No Mono or Gecko installer prompts, no windows.
export WINEDLLOVERRIDES="mscoree=d;mshtml=d;winedbg.exe=d"
unset DISPLAY WAYLAND_DISPLAY

skip() {
  echo "SKIPPED: $*"
  exit 77
}

case ${1:-} in
  --setup)
    prefix=$2 probe=$3
    rm -rf "$prefix" "$prefix.unusable" "$prefix.loader"
    mkdir -p "$prefix"
    export WINEPREFIX=$prefix
    unusable() {
      echo "$*" >"$prefix.unusable"
      skip "$*"
    }
    command -v wine >/dev/null || unusable "Windows tests need Wine, which is not installed (scripts/deps.sh wine)"
    loader=wine note=""
    if ! version=$(timeout 60 wine --version 2>&1) && grep -q "Exec format error" <<<"$version"; then
      loader=/usr/lib/wine/wine64
      [ -x "$loader" ] || unusable "the wine wrapper fails here (Exec format error) and there is no $loader"
      export WINELOADER=$loader
      note=" (the wine wrapper fails here with \"Exec format error\": this kernel runs no 32-bit programs, so only $loader can start)"
      echo "wine fails with \"Exec format error\": using $loader"
    fi
    echo "$loader" >"$prefix.loader"
    log=$(timeout 600 "$loader" wineboot --init 2>&1) || unusable "wineboot failed$note: $(tail -n 3 <<<"$log")"
    out=$(timeout 120 "$loader" "$probe" 2>&1)
    grep -q "^wine runs" <<<"$out" || unusable "Wine cannot run $(basename "$probe")$note: $(tail -n 3 <<<"$out")"
    echo "$out"
    exit 0
    ;;
  --cleanup)
    prefix=$2
    if command -v wineserver >/dev/null && [ -d "$prefix" ]; then
      WINEPREFIX=$prefix wineserver -k 2>/dev/null
      WINEPREFIX=$prefix wineserver -w 2>/dev/null
    fi
    rm -rf "$prefix" "$prefix.loader"
    exit 0
    ;;
esac

prefix=$1
shift
[ -f "$prefix.unusable" ] && skip "$(cat "$prefix.unusable")"
command -v wine >/dev/null || skip "Windows tests need Wine, which is not installed"
[ -d "$prefix" ] || skip "no Wine prefix: run the whole test set (setup makes it)"
export WINEPREFIX=$prefix
loader=$(cat "$prefix.loader" 2>/dev/null || echo wine)
[ "$loader" = wine ] || export WINELOADER=$loader
exec "$loader" "$@"

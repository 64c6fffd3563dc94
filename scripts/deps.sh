#!/usr/bin/env bash
# Makes sure the Debian packages a make target needs are present:
#   scripts/deps.sh <group>...     groups: build test fuzz
# Missing packages are installed when running as root (saying so); otherwise
# the script names them and fails.
set -euo pipefail

declare -A groups=(
  [build]="cmake ninja-build g++ make"
  [test]="libgtest-dev libbenchmark-dev binutils"
  # make sanitize, make fuzz (clang with libFuzzer and the sanitizer runtimes;
  # llvm for symbolized reports) and make memcheck (valgrind)
  [fuzz]="clang libclang-rt-14-dev llvm valgrind"
)

want=()
for g in "$@"; do
  [ -n "${groups[$g]+x}" ] || { echo "deps.sh: unknown group $g" >&2; exit 2; }
  for p in ${groups[$g]}; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || want+=("$p")
  done
done
[ ${#want[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "Missing Debian packages: ${want[*]}" >&2
  echo "Install them with: sudo apt-get install ${want[*]}" >&2
  exit 1
fi
echo "Installing missing Debian packages: ${want[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${want[@]}" >/dev/null

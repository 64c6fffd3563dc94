#!/bin/sh
# Writes doc/reference.md from the help texts of toolbox/*.m, the one source
# of each function's manual:
#   doc/reference.sh           rewrites the page
#   doc/reference.sh --check   fails, naming the fix, when the page is stale
# Needs only sh and awk.
set -eu
cd "$(dirname "$0")/.."
page=doc/reference.md
# Every function toolbox/Contents.m lists ("%   name  - summary"), in its order.
functions=$(awk '/^%   [A-Za-z_0-9]+ +- / { print $2 }' toolbox/Contents.m)

# The help text of one .m file: the comment lines after the function line, up
# to the first line that is not a comment; "%NAME  summary" is the H1 line.
# With "summary" as the second argument only the summary is printed.
help_text() {
  awk -v part="$2" '
    NR == 1 { next }
    !/^%/ || /^%!/ { exit }
    NR == 2 { sub(/^%[A-Z_0-9]+ +/, ""); if (part == "summary") { print; exit } next }
    { sub(/^%/, ""); sub(/^   /, ""); print }
  ' "toolbox/$1.m"
}

generate() {
  cat <<'EOF'
# Function reference

The help text of every function, as `help imgToBlocks` shows it in MATLAB or
GNU Octave, collected from `toolbox/*.m` by `doc/reference.sh` (`make doc`).
The help texts are the manual: edit them, not this page (`make doc-check`
fails when it is stale).

| function | what it does |
|---|---|
EOF
  for f in $functions; do
    anchor=$(printf '%s' "$f" | tr 'A-Z' 'a-z')
    printf '| [`%s`](#%s) | %s |\n' "$f" "$anchor" "$(help_text "$f" summary)"
  done
  for f in $functions; do
    printf '\n## %s\n\n```text\n' "$f"
    help_text "$f" body
    printf '```\n'
  done
}

if [ "${1-}" = --check ]; then
  if generate | cmp -s - "$page"; then exit 0; fi
  echo "$page is stale: run make doc and commit it" >&2
  exit 1
fi
generate >"$page"

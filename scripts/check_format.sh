#!/usr/bin/env bash
# Checks the C and C++ lines changed since the last commit (staged, unstaged and in new
# files) against .clang-format and prints the needed changes as a diff. Lines that no
# change touches are left as they are: the code is not reformatted wholesale, so a
# clean checkout has nothing to check.
#   scripts/check_format.sh          check; non-zero when a changed line is off
#   scripts/check_format.sh --fix    rewrite the changed lines in place
set -euo pipefail
cd "$(dirname "$0")/.."

formatter=$(command -v clang-format-diff-14 || command -v clang-format-diff || true)
if [ -z "$formatter" ]; then
  echo "check_format: clang-format-diff not found (package clang-format)" >&2
  exit 1
fi
# Outside a repository, or before the first commit, there is no change to check.
git rev-parse --verify --quiet HEAD >/dev/null 2>&1 || exit 0

readonly sources=('*.c' '*.cpp' '*.h')

# Every change as a diff without context: tracked files against HEAD, and each new
# (untracked, not ignored) file as added whole.
changes() {
  git diff -U0 --no-color HEAD -- "${sources[@]}"
  git ls-files --others --exclude-standard -z -- "${sources[@]}" |
    while IFS= read -r -d '' file; do
      git diff --no-index -U0 --no-color /dev/null "$file" || true
    done
}

# A hunk that only deletes lines names no line of the new text; clang-format-diff
# would check the line after it instead, which the change did not touch.
added_lines_only() {
  sed -E '/^@@ -[0-9]+(,[0-9]+)? \+[0-9]+,0 @@/d'
}

# clang-format 14, asked to format some lines only, drops the blank line between the
# last statement of a namespace or extern "C" block and its closing brace, which this
# code keeps. A hunk of the formatter's diff that only deletes blank lines is left out.
without_blank_line_removals() {
  awk '
    function flush_hunk() {
      if (hunk != "" && meaningful) {
        if (header != "") { printf "%s", header; header = "" }
        printf "%s", hunk
      }
      hunk = ""; meaningful = 0
    }
    /^--- / { flush_hunk(); header = $0 "\n"; next }
    /^\+\+\+ / { header = header $0 "\n"; next }
    /^@@/ { flush_hunk(); hunk = $0 "\n"; next }
    {
      hunk = hunk $0 "\n"
      if ($0 ~ /^\+/ || ($0 ~ /^-/ && $0 !~ /^-[ \t]*$/)) meaningful = 1
    }
    END { flush_hunk() }
  '
}

if [ "${1:-}" = "--fix" ]; then
  changes | added_lines_only | "$formatter" -p1 | without_blank_line_removals | patch -p0 --quiet
  exit 0
fi

result=$(changes | added_lines_only | "$formatter" -p1 | without_blank_line_removals)
if [ -n "$result" ]; then
  printf '%s\n' "$result"
  echo "check_format: changed lines are not formatted as .clang-format says;" \
    "scripts/check_format.sh --fix rewrites them" >&2
  exit 1
fi

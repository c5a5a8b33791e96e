#!/usr/bin/env bash
# scripts/check-layout on the project, then on a made-up tree with one of each
# fault: each is reported and the check fails.
set -euo pipefail
check=$1 project=$2
"$check" "$project"

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
folder() {  # NAME CMAKE [FILE TEXT]…
  mkdir -p "$tree/$1"
  echo "$2" > "$tree/$1/CMakeLists.txt"
  local name=$1
  shift 2
  while [ $# -gt 0 ]; do printf '%s\n' "$2" > "$tree/$name/$1"; shift 2; done
}
folder lines "add_library(lines a.cpp)" a.cpp '#include "base/b.h"'
folder base "add_library(base b.cpp)" b.h '#include <string>'
folder left "add_library(left l.cpp)
target_link_libraries(left PRIVATE right)" l.cpp '#include "right/r.h"'
folder right "add_library(right r.cpp)
target_link_libraries(right PUBLIC left base)" r.h '#include "left/l.h"' r.cpp '#include "prog/p.h"'
folder unlinked "add_library(unlinked u.cpp)" u.cpp '#include "base/b.h"'
folder prog "add_executable(prog main.cpp)
target_link_libraries(prog PRIVATE right)" main.cpp '#include "right/r.h"' p.h ''
folder tests "add_executable(t t.cpp)" t.cpp '#include "prog/p.h"'

status=0
out=$("$check" "$tree") || status=$?
failures=0
for wanted in "lines/a.cpp: lines/ includes base/" "right/r.cpp: includes the program folder prog/" \
              "unlinked/u.cpp: includes base/, which unlinked/ does not link" \
              "folders include each other: left -> right -> left"; do
  grep -qF -- "$wanted" <<<"$out" || { echo "FAILED: not reported: $wanted"; failures=1; }
done
[ "$status" = 1 ] || { echo "FAILED: status $status"; failures=1; }
grep -q "tests/" <<<"$out" && { echo "FAILED: tests/ may include anything: $out"; failures=1; }
[ "$(wc -l <<<"$out")" = 4 ] || { echo "FAILED: more than the four faults: $out"; failures=1; }
exit "$failures"

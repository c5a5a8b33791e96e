#!/usr/bin/env bash
# ridelon-site import of a small extract (tests/site/data/city.osm: roles,
# platforms by tag, names, variants, a bad ref), as XML, PBF and bzip2'd XML,
# checked as the window would show it: ridelon-cli query against the imported
# lines. Bad input ends with one line and status 2 and changes nothing.
set -euo pipefail
site=$1 cli=$2 extract=$3
if ! command -v osmium >/dev/null; then
  echo "skipped: osmium (Debian: osmium-tool) converts the extract to PBF"
  exit 77
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work  # the default data folder, which queries read too
unset RIDELON_ROUTE_SERVICE_BASE
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
expect_stops() {  # CITY LINE EXPECTED [--trolleybus]
  local got
  got=$("$cli" query ${4:-} "$1" "$2" 2>/dev/null) || got="not found"
  [ "$got" = "$3" ] || fail "$4 $1 $2: \"$got\", not \"$3\""
}
expect_in() {  # TEXT WANTED WHAT
  grep -qF -- "$2" <<<"$1" || fail "$3 lacks \"$2\": $1"
}

cp "$extract" "$work/city.osm"
osmium cat -O "$work/city.osm" -o "$work/city.osm.pbf"
osmium cat -O "$work/city.osm" -o "$work/city.osm.bz2"
for file in city.osm city.osm.pbf city.osm.bz2; do
  report=$("$site" import "$work/$file" --city 北京) || fail "import $file"
  expect_in "$report" "北京: 2 bus and 1 trolleybus lines" "the report on $file"
  expect_in "$report" 'relation 23: ref "2/3" cannot name a line' "the report"
  expect_in "$report" "bus 1: 2 routes share the ref" "the report"
  expect_in "$report" "relation 27: no ref" "the report"
  [ "$(grep -c 'left out: 1$' <<<"$report")" = 1 ] || fail "unnamed count in $report"
  expect_stops 北京 1 "西站——中街——东站"
  expect_stops 北京 1 "北门——南门——广场" --trolleybus
  expect_stops 北京 K5 "南门——北门"
  expect_stops 北京 2/3 "not found"
  expect_stops 北京 T1 "not found"
  expect_stops 北京 T1 "not found" --trolleybus
  # The page's title is the route master's; the other variants stay as comments.
  expect_in "$(cat "$work/ridelon/site/beijing/1lu.txt")" "# 1路" "the line file"
  expect_in "$(grep '^#' "$work/ridelon/site/beijing/1lu.txt")" "relation 21" "the comments"
  expect_in "$(grep '^#' "$work/ridelon/site/beijing/1lu.txt")" "relation 25" "the comments"
done

head -c "$(( $(stat -c %s "$work/city.osm.pbf") * 2 / 3 ))" "$work/city.osm.pbf" > "$work/truncated.osm.pbf"
echo "bus 1: west to east" > "$work/notes.osm"
refuse() {  # REASON ARGS…
  local reason=$1 err status=0
  shift
  err=$("$site" import "$@" 2>&1 >/dev/null) || status=$?
  [ "$status" = 2 ] || fail "import $*: status $status"
  [ "$(wc -l <<<"$err")" = 1 ] || fail "import $*: more than one line: $err"
  expect_in "$err" "$reason" "import $*"
}
refuse "cannot read" "$work/truncated.osm.pbf" --city 北京
refuse "cannot read" "$work/notes.osm" --city 北京
refuse "cannot read" "$work/missing.osm" --city 北京
refuse "--pinyin" "$work/city.osm" --city 圳
refuse "Latin letters" "$work/city.osm" --city 北京 --pinyin "bei jing"
refuse "--city is required" "$work/city.osm"
expect_stops 北京 1 "西站——中街——东站"
[ "$(ls -A "$work/ridelon/site")" = beijing ] || fail "left beside the lines: $(ls -A "$work/ridelon/site")"

# A city the romanisation leaves out goes under the pinyin given.
"$site" import "$work/city.osm" --city 圳 --pinyin shenzhen >/dev/null || fail "import --pinyin"
expect_stops shenzhen 1 "西站——中街——东站"

[ "$failures" = 0 ] && echo "imports hold up as the window shows them"
exit "$failures"

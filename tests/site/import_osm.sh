#!/usr/bin/env bash
# ridelon-site import of the city extract (tests/osm/data/city.osm) converted
# to PBF and to bzip2'd XML, checked as the window would show it: ridelon-cli
# query against the imported lines. A truncated PBF ends with one line and
# status 2 and changes nothing. The import's rules are tested on the XML
# itself by tests/osm; only these conversions need osmium.
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

osmium cat -O "$extract" -o "$work/city.osm.pbf"
osmium cat -O "$extract" -o "$work/city.osm.bz2"
for file in city.osm.pbf city.osm.bz2; do
  rm -rf "$work/ridelon"
  report=$("$site" import "$work/$file" --city 北京) || fail "import $file"
  grep -qF "北京: 2 bus and 1 trolleybus lines" <<<"$report" || fail "the report on $file: $report"
  expect_stops 北京 1 "西站——中街——东站"
  expect_stops 北京 1 "北门——南门——广场" --trolleybus
  expect_stops 北京 K5 "南门——北门"
done

head -c "$(( $(stat -c %s "$work/city.osm.pbf") * 2 / 3 ))" "$work/city.osm.pbf" > "$work/truncated.osm.pbf"
status=0
err=$("$site" import "$work/truncated.osm.pbf" --city 北京 2>&1 >/dev/null) || status=$?
[ "$status" = 2 ] || fail "truncated import: status $status"
[ "$(wc -l <<<"$err")" = 1 ] && grep -qF "cannot read" <<<"$err" || fail "truncated import: $err"
expect_stops 北京 1 "西站——中街——东站"
[ "$(ls -A "$work/ridelon/site")" = beijing ] || fail "left beside the lines: $(ls -A "$work/ridelon/site")"


# Two cities of one spelling, as the README says to import them; a full-width
# line as an input method types it; then the second city removed.
status=0
err=$("$site" import "$work/city.osm.pbf" --city 北京市 2>&1 >/dev/null) || status=$?
[ "$status" = 0 ] || fail "北京市 is 北京 again: status $status, $err"
cp "$extract" "$work/other.osm"
"$site" import "$work/other.osm" --city 泰州 >/dev/null || fail "import 泰州"
status=0
err=$("$site" import "$work/other.osm" --city 台州 2>&1 >/dev/null) || status=$?
[ "$status" = 2 ] && grep -qF "泰州" <<<"$err" || fail "台州 over 泰州: status $status, $err"
"$site" import "$work/other.osm" --city 台州 --pinyin taizhouzj >/dev/null || fail "台州 --pinyin"
expect_stops 台州 Ｋ５５ "not found"
expect_stops taizhouzj Ｋ５ "南门——北门"
expect_stops 泰州 K5路 "南门——北门"
"$site" remove --city 臺州 >/dev/null || fail "remove 台州"
expect_stops taizhouzj K5 "not found"
expect_stops 泰州 K5 "南门——北门"
status=0
"$site" remove --city 台州 >/dev/null 2>&1 || status=$?
[ "$status" = 2 ] || fail "removing 台州 twice: status $status"

[ "$failures" = 0 ] && echo "imports from PBF and bzip2 hold up as the window shows them"
exit "$failures"

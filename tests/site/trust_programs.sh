#!/usr/bin/env bash
# What reaches a user through the programs: places of one stem through
# ridelon-site import and remove, and what a query then finds; what a killed
# removal left, cleaned by the next; a feed's escapes kept off the terminal;
# an export that cannot place one page writes the rest and says so.
set -euo pipefail
site=$1 cli=$2 extract=$3 feed=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export XDG_DATA_HOME=$work  # the default data folder, which queries read too
unset RIDELON_ROUTE_SERVICE_BASE
data=$work/ridelon/site
failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
expect_stops() {  # CITY LINE EXPECTED
  local got
  got=$("$cli" query "$1" "$2" 2>/dev/null) || got="not found"
  [ "$got" = "$3" ] || fail "$1 $2: \"$got\", not \"$3\""
}
status_of() { local status=0; "$@" >"$work/out" 2>"$work/err" || status=$?; echo "$status"; }

# A county and the city of its stem.
"$site" import "$extract" --city 长沙市 >/dev/null
[ "$(status_of "$site" import "$extract" --city 长沙县)" = 2 ] || fail "长沙县 took 长沙市's folder"
"$site" import "$extract" --city 长沙县 --pinyin changshaxian >"$work/out"
grep -q removed "$work/out" && fail "长沙县 removed: $(cat "$work/out")"
[ "$(cat "$data/changsha/.city")" = 长沙市 ] || fail "changsha holds $(cat "$data/changsha/.city")"
expect_stops 长沙市 K5 "南门——北门"
expect_stops changshaxian K5 "南门——北门"
"$site" import "$extract" --city 衡阳 >/dev/null
"$site" import "$extract" --city 衡阳县 --pinyin hengyangxian >/dev/null
"$site" remove --city 衡阳县 >"$work/out"
[ "$(cat "$work/out")" = "removed $data/hengyangxian" ] || fail "remove 衡阳县: $(cat "$work/out")"
expect_stops 衡阳 K5 "南门——北门"
"$site" import "$extract" --city 阿拉善县 --pinyin alashanxian >/dev/null
"$site" import "$extract" --city 阿拉善盟 --pinyin alashanmeng >/dev/null
[ "$(status_of "$site" remove --city 阿拉善)" = 2 ] && grep -q "could mean" "$work/err" ||
  fail "remove 阿拉善: $(cat "$work/err")"
[ -d "$data/alashanxian" ] && [ -d "$data/alashanmeng" ] || fail "阿拉善 removed a place"

# A removal killed after it moved a city out of sight: the next one cleans up.
sleep 0 & dead=$!
wait "$dead"
mkdir -p "$data/.hangzhou.remove-$dead/many"
"$site" remove --city 衡阳 >/dev/null
[ -e "$data/.hangzhou.remove-$dead" ] && fail "a killed removal's folder is left"

# A feed's control characters never reach the terminal.
cp -r "$feed" "$work/feed"
printf 'R\033]0;x\007\033[2J,A,a/b,,3\n' >>"$work/feed/routes.txt"
"$site" import "$work/feed" --city 示例港 >"$work/out" 2>&1 || fail "the feed: $(cat "$work/out")"
grep -q $'\033' "$work/out" && fail "an escape reached the terminal: $(cat -v "$work/out")"
grep -qF 'route R ]0;x  [2J: "a/b" cannot name a line' "$work/out" || fail "the note: $(cat -v "$work/out")"

# A page whose place another page's file holds.
mkdir -p "$work/pages/suzhou"
printf 'x\nx/index.html\n丙\n' >"$work/pages/suzhou/1lu.txt"
[ "$(status_of "$site" export --data "$work/pages" --out "$work/www")" = 2 ] &&
  grep -qF "cannot write the page of /suzhou/zhandian/x/index.html/" "$work/err" ||
  fail "export: $(cat "$work/err")"
[ -f "$work/www/suzhou/zhandian/丙/index.html" ] && [ -f "$work/www/suzhou/xianlu/1lu/index.html" ] ||
  fail "the rest of the export is missing"

# A city folder that cannot be read: reported, every other city written,
# status 2. Root reads any folder, so there the export runs as nobody.
mkdir -p "$work/locked/shut" "$work/locked/open" "$work/open-out"
printf '甲\n乙\n' >"$work/locked/shut/1lu.txt"
cp "$work/locked/shut/1lu.txt" "$work/locked/open/"
chmod 000 "$work/locked/shut"
as_user=() exporter=$site
if [ "$(id -u)" = 0 ]; then
  # A copy of the program where nobody can reach it, wherever the build is.
  exporter=$work/ridelon-site
  cp "$site" "$exporter"
  chmod 755 "$work" "$work/locked" "$work/locked/open"
  chmod 644 "$work/locked/open/1lu.txt"
  chmod 777 "$work/open-out"
  # nobody may not reach the suppressions a sanitizer build is told of.
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups env -u LSAN_OPTIONS)
fi
[ "$(status_of "${as_user[@]}" "$exporter" export --data "$work/locked" --out "$work/open-out/www")" = 2 ] &&
  grep -qF "cannot read $work/locked/shut" "$work/err" || fail "unreadable city: $(cat "$work/err")"
[ -f "$work/open-out/www/open/xianlu/1lu/index.html" ] || fail "the readable city was not written"
chmod 755 "$work/locked/shut"

[ "$failures" = 0 ] && echo "places, leftovers, escapes and exports hold up through the programs"
exit "$failures"

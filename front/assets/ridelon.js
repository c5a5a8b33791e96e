// The route site's one script. On every page it offers the cities in the
// search forms; on the search page (/chaxun/) it finds what a form asked
// for: a line's or a stop's page, which it goes to, or the ways between two
// stops, which it works out here from the city's data, as the site does, so
// that a static copy of the site answers them too.
"use strict";

const json = (path) => fetch(path).then((r) => (r.ok ? r.json() : null));
const escape = (text) =>
  text.replace(/[&<>"]/g, (c) => ({ "&": "&amp;", "<": "&lt;", ">": "&gt;", '"': "&quot;" })[c]);
const bdi = (name) => "<bdi>" + escape(name) + "</bdi>";
const kindName = (kind) => (kind === 0 ? "公交" : "电车");

// As the site composes addresses: every byte but letters, digits and "-._~"
// as %XX, "." and ".." whole.
const segment = (text) =>
  text === "." ? "%2E" : text === ".." ? "%2E%2E"
    : Array.from(new TextEncoder().encode(text), (b) =>
      /[A-Za-z0-9\-._~]/.test(String.fromCharCode(b)) ? String.fromCharCode(b)
        : "%" + b.toString(16).toUpperCase().padStart(2, "0")).join("");
// Full-width letters, digits and punctuation as ASCII, the ideographic space as a space.
const folded = (text) =>
  text.replace(/[\uFF01-\uFF5E]/g, (c) => String.fromCharCode(c.charCodeAt(0) - 0xFEE0))
    .replace(/\u3000/g, " ");
const trimmed = (text) => text.replace(/^[ \u3000]+|[ \u3000]+$/g, "");
// Whether a stop's page has an address that browsers keep as it is.
const hasPage = (stop) => stop.split("/").every((p) => p && p !== "." && p !== "..");

// A place's name without the suffix the site drops when it romanises it
// (济南市 is 济南, 尉氏县 尉氏; 单县 and an autonomous county keep theirs).
const placeName = (name) => /自治[州县]$/.test(name) ? name :
  name.replace(/^(.{2,}?)(特别行政区|市|省|县|盟)$/u, "$1");

function cityOf(cities, typed) {
  const text = trimmed(typed);
  return cities.find((c) => c.name === text || c.city === text) ||
    cities.find((c) => placeName(c.name) === placeName(text));
}

// A line's address, as a query composes it: spaces trimmed for buses, full
// width as ASCII, a trailing 路 dropped, letters upper-cased one for one.
function linePath(city, typed, trolleybus) {
  let line = folded(trolleybus ? typed : trimmed(typed));
  if (line.length > 1 && line.endsWith("路")) line = line.slice(0, -1);
  line = Array.from(line, (c) => (c.toUpperCase().length === 1 ? c.toUpperCase() : c)).join("");
  return "/" + city + "/xianlu/" + segment(line + (trolleybus ? "ludianche" : "lu")) + "/";
}

// The city's data, with each stop's visits in line, direction, position order.
function indexed(guide) {
  guide.visits = guide.stops.map(() => []);
  guide.lines.forEach((line, l) =>
    line.dirs.forEach((dir, d) => dir.forEach((stop, p) => guide.visits[stop].push([l, d, p]))));
  guide.byName = new Map(guide.stops.map((name, i) => [name, i]));
  guide.byFolded = new Map();
  guide.stops.forEach((name, i) => { if (!guide.byFolded.has(folded(name))) guide.byFolded.set(folded(name), i); });
  return guide;
}
const stopNamed = (guide, typed) => {
  const exact = guide.byName.get(typed);
  return exact !== undefined ? exact : guide.byFolded.get(folded(typed));
};

function rideLength(stops, from, to) {
  if (from < to) return to - from;
  const loop = stops.length > 2 && stops[0] === stops[stops.length - 1];
  return loop && to < from ? stops.length - 1 - from + to : 0;
}

// Runs of visits of one direction.
function* directions(visits) {
  for (let begin = 0; begin < visits.length;) {
    let end = begin + 1;
    while (end < visits.length && visits[end][0] === visits[begin][0] && visits[end][1] === visits[begin][1]) ++end;
    yield visits.slice(begin, end);
    begin = end;
  }
}

// The ways from one stop to the other, as the site finds them: the lines that
// go there, fewest stops first, then one change, one way per pair of
// directions at its best change; at most `most`. The changes come out best
// first from one heap over each change stop's sorted rides there and on, so
// the work is that of the lines through the two ends and the ways asked for.
function findWays(guide, from, to, most = 20) {
  const stopsOf = (l, d) => guide.lines[l].dirs[d];
  const ride = (l, d, a, b) => ({ line: l, dir: d, from: a, to: b, stops: rideLength(stopsOf(l, d), a, b) });
  const compare = (a, b) => {
    for (let i = 0; i < a.length; ++i) if (a[i] !== b[i]) return a[i] - b[i];
    return 0;
  };
  const byLength = (x, y) => compare([x.stops, x.line, x.dir], [y.stops, y.line, y.dir]);
  // The lines that go straight there first: where they fill the answer, no
  // change is looked at.
  const direct = [];
  for (const starts of directions(guide.visits[from])) {
    const [l, d] = starts[0];
    const stops = stopsOf(l, d);
    let straight = null;
    for (const start of starts)
      for (let at = 0; at < stops.length; ++at) {
        const first = stops[at] === to ? ride(l, d, start[2], at) : null;
        if (first && first.stops > 0 && (!straight || first.stops < straight.stops)) straight = first;
      }
    if (straight) direct.push(straight);
  }
  const ways = direct.sort(byLength).slice(0, most).map((r) => ({ stops: r.stops, rides: [r] }));
  if (ways.length === most) return ways;

  // At each stop, each direction's shortest ride there from the origin
  // (firsts) and from there to the destination (seconds); firsts only where
  // seconds are, as nowhere else can one change.
  const legs = new Map();
  const collect = (end, outward) => {
    for (const ends of directions(guide.visits[end])) {
      const [l, d] = ends[0];
      const stops = stopsOf(l, d);
      const shortest = new Map();
      for (const visit of ends)
        for (let at = 0; at < stops.length; ++at) {
          if (outward && !legs.has(stops[at])) continue;
          const leg = outward ? ride(l, d, visit[2], at) : ride(l, d, at, visit[2]);
          const kept = shortest.get(stops[at]);
          if (leg.stops > 0 && (!kept || compare([leg.stops, leg.from], [kept.stops, kept.from]) < 0))
            shortest.set(stops[at], leg);
        }
      for (const [stop, leg] of shortest) {
        if (!legs.has(stop)) legs.set(stop, { firsts: [], seconds: [] });
        legs.get(stop)[outward ? "firsts" : "seconds"].push(leg);
      }
    }
  };
  collect(to, false);
  collect(from, true);

  // A min-heap of pairs (row i of a stop's firsts, column j of its seconds).
  const heap = [];
  const swap = (a, b) => ([heap[a], heap[b]] = [heap[b], heap[a]]);
  const push = (pair) => {
    const f = pair.at.firsts[pair.i], s = pair.at.seconds[pair.j];
    pair.key = [f.stops + s.stops, f.line, f.dir, s.line, s.dir, f.stops, f.from];
    heap.push(pair);
    for (let i = heap.length - 1, up; i > 0 && compare(heap[(up = (i - 1) >> 1)].key, heap[i].key) > 0; i = up) swap(i, up);
  };
  const pop = () => {
    const top = heap[0];
    const last = heap.pop();
    if (heap.length) heap[0] = last;
    for (let i = 0, least = 0; ; i = least) {
      for (const child of [2 * i + 1, 2 * i + 2])
        if (child < heap.length && compare(heap[child].key, heap[least].key) < 0) least = child;
      if (least === i) break;
      swap(i, least);
    }
    return top;
  };
  for (const at of legs.values())
    if (at.firsts.length && at.seconds.length) {
      at.firsts.sort(byLength);
      at.seconds.sort(byLength);
      push({ at, i: 0, j: 0 });
    }
  // One way per pair of directions: the first to come out is its best change.
  const paired = new Set();
  while (heap.length && ways.length < most) {
    const { at, i, j, key } = pop();
    if (j + 1 < at.seconds.length) push({ at, i, j: j + 1 });
    if (j === 0 && i + 1 < at.firsts.length) push({ at, i: i + 1, j: 0 });
    const first = at.firsts[i], second = at.seconds[j];
    const pair = [first.line, first.dir, second.line, second.dir].join();
    if (first.line === second.line || paired.has(pair)) continue;
    paired.add(pair);
    ways.push({ stops: key[0], rides: [first, second] });
  }
  return ways;
}

function rideHtml(guide, ride) {
  const line = guide.lines[ride.line];
  const stops = line.dirs[ride.dir];
  const ref = line.ref.includes(" ") ? "「" + line.ref + "」" : line.ref;
  return '<a href="' + line.page + '">' + bdi(ref) + "</a> " + kindName(line.kind) + "：" +
    bdi(guide.stops[stops[ride.from]]) + " → " + bdi(guide.stops[stops[ride.to]]) + "，" + ride.stops + " 站";
}
const stopHtml = (guide, name) =>
  hasPage(name) ? '<a href="/' + guide.city + "/zhandian/" + segment(name) + '/">' + bdi(name) + "</a>" : bdi(name);

function show(title, heading, body) {
  document.title = title;
  document.querySelector("h1").innerHTML = heading;
  document.getElementById("answer").innerHTML = body;
}
const list = (items) => '<ul class="guide">' + items.map((i) => "<li>" + i + "</li>").join("") + "</ul>";

function suggestions(guide, typed) {
  const text = folded(typed);
  const found = guide.stops.filter((s) => text && folded(s).includes(text)).sort();
  return "<p>没有站点“" + bdi(typed) + "”" + (found.length ? "。名称含有它的站点：</p>" + list(found.map((s) => stopHtml(guide, s))) : "。</p>");
}

async function answer(params, cities) {
  const city = cityOf(cities, params.get("city") || "");
  if (!city)
    return show("没有这个城市", "没有这个城市",
      list(cities.map((c) => '<a href="/' + c.city + '/xianlu/">' + bdi(c.name) + "</a>")));
  const question = params.get("q");
  if (question === "xianlu")
    return location.replace(linePath(city.city, params.get("line") || "", params.get("kind") === "trolleybus"));
  const guide = indexed(await json("/" + city.city + "/guide.json"));
  if (question === "zhandian") {
    const typed = trimmed(params.get("stop") || "");
    const stop = stopNamed(guide, typed);
    if (stop !== undefined && hasPage(guide.stops[stop]))
      return location.replace("/" + city.city + "/zhandian/" + segment(guide.stops[stop]) + "/");
    return show("404 " + city.name + " " + typed, "404 " + bdi(city.name) + " " + bdi(typed), suggestions(guide, typed));
  }
  const [typedFrom, typedTo] = ["from", "to"].map((k) => trimmed(params.get(k) || ""));
  const [from, to] = [stopNamed(guide, typedFrom), stopNamed(guide, typedTo)];
  const [fromName, toName] = [from === undefined ? typedFrom : guide.stops[from], to === undefined ? typedTo : guide.stops[to]];
  const title = city.name + "：" + fromName + " → " + toName;
  const heading = bdi(city.name) + "：" + bdi(fromName) + " → " + bdi(toName);
  if (from !== undefined && from === to) return show("404 " + title, "404 " + heading + "：起点和终点是同一个站点", "");
  performance.mark("transfer-start");
  const ways = from === undefined || to === undefined ? [] : findWays(guide, from, to);
  const items = [];
  for (const way of ways) {
    let item = rideHtml(guide, way.rides[0]);
    if (way.rides.length === 2) {
      const second = way.rides[1];
      const change = guide.stops[guide.lines[second.line].dirs[second.dir][second.from]];
      item += "；在" + stopHtml(guide, change) + "换乘 " + rideHtml(guide, second) + "；共 " + way.stops + " 站";
    }
    if (!items.includes(item)) items.push(item);
  }
  performance.measure("transfer", "transfer-start");
  if (!items.length)
    return show("404 " + title, "404 " + heading,
      [[from, typedFrom], [to, typedTo]].filter(([s]) => s === undefined).map(([, t]) => suggestions(guide, t)).join("") +
      "<p>一次换乘以内没有到达的线路。</p>");
  show(title, heading, list(items));
}

document.addEventListener("DOMContentLoaded", async () => {
  const cities = (await json("/chengshi.json")) || [];
  const offered = document.getElementById("cities");
  if (offered) offered.innerHTML = cities.map((c) => '<option value="' + escape(c.name) + '">').join("");
  if (location.pathname === "/chaxun/") await answer(new URLSearchParams(location.search), cities);
});

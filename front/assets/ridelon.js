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
// directions at its best change; at most `most`.
function findWays(guide, from, to, most = 20) {
  const stopsOf = (l, d) => guide.lines[l].dirs[d];
  const ride = (l, d, a, b) => ({ line: l, dir: d, from: a, to: b, stops: rideLength(stopsOf(l, d), a, b) });
  const order = (x, y) => x.stops - y.stops || x.key.reduce((c, v, i) => c || v - y.key[i], 0);
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
    if (straight) direct.push({ stops: straight.stops, key: [l, d, l, d], rides: [straight] });
  }
  direct.sort(order);
  if (direct.length >= most) return direct.slice(0, most);
  const arriving = [];
  const reaching = new Map();
  for (const arrivals of directions(guide.visits[to])) {
    const [l, d] = arrivals[0];
    const stops = stopsOf(l, d);
    for (let board = 0; board < stops.length; ++board)
      for (const arrival of arrivals) {
        const second = ride(l, d, board, arrival[2]);
        if (second.stops === 0) continue;
        if (!reaching.has(stops[board])) reaching.set(stops[board], []);
        reaching.get(stops[board]).push({ direction: arriving.length, ride: second });
      }
    arriving.push([l, d]);
  }
  const changing = [];
  for (const starts of directions(guide.visits[from])) {
    const [l, d] = starts[0];
    const stops = stopsOf(l, d);
    const best = new Map();
    for (const start of starts)
      for (let change = 0; change < stops.length; ++change) {
        const first = ride(l, d, start[2], change);
        if (first.stops === 0) continue;
        for (const next of reaching.get(stops[change]) || []) {
          if (next.ride.line === l) continue;
          const total = first.stops + next.ride.stops;
          const kept = best.get(next.direction);
          if (!kept || total < kept.stops) best.set(next.direction, { stops: total, rides: [first, next.ride] });
        }
      }
    for (const [b, kept] of best) changing.push({ stops: kept.stops, key: [l, d, ...arriving[b]], rides: kept.rides });
  }
  return [...direct, ...changing.sort(order)].slice(0, most);
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

#!/usr/bin/env python3
"""Writes a generated GTFS feed for the import benchmark: 5,000 stops, 200 bus
routes, 40,000 trips of 25 stops each: 1,000,000 stop_times rows.
    gtfs_bench_feed.py FOLDER"""
import pathlib
import random
import sys

folder = pathlib.Path(sys.argv[1])
folder.mkdir(parents=True, exist_ok=True)
rng = random.Random(3)
(folder / "agency.txt").write_text("agency_id,agency_name,agency_url,agency_timezone\nA,基准公交,http://example.test,Asia/Shanghai\n")
with open(folder / "stops.txt", "w") as f:
    f.write("stop_id,stop_name,stop_lat,stop_lon\n")
    for s in range(5000):
        f.write(f"S{s},第{s}站,{36 + rng.random():.5f},{117 + rng.random():.5f}\n")
with open(folder / "routes.txt", "w") as f:
    f.write("route_id,route_short_name,route_long_name,route_type\n")
    for r in range(200):
        f.write(f"R{r},{r + 1},,3\n")
patterns = {r: [rng.randrange(5000) for _ in range(25)] for r in range(200)}
with open(folder / "trips.txt", "w") as trips, open(folder / "stop_times.txt", "w") as times:
    trips.write("route_id,service_id,trip_id,direction_id\n")
    times.write("trip_id,arrival_time,departure_time,stop_id,stop_sequence\n")
    for t in range(40000):
        r, direction = t % 200, (t // 200) % 2
        trips.write(f"R{r},WK,T{t},{direction}\n")
        stops = patterns[r] if direction == 0 else patterns[r][::-1]
        start = 5 * 3600 + (t // 400) * 600
        for i, s in enumerate(stops):
            clock = start + i * 120
            hms = f"{clock // 3600:02d}:{clock // 60 % 60:02d}:{clock % 60:02d}"
            times.write(f"T{t},{hms},{hms},S{s},{i + 1}\n")

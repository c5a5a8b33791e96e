#!/usr/bin/python3
"""The city guide in a real browser (Chromium, headless), as a rider uses it,
against ridelon-site and against its export served by nginx: the search
forms lead where they should, transfers worked out by the page equal the
site's for every pair of stops, a line's map has a mark per stop, no request
leaves the site, nothing scrolls sideways at 360 px, and imported data is
credited. Skipped (status 77) without Chromium, its driver or Selenium.

    browser_test.py RIDELON_SITE [NGINX]
"""
import json
import os
import pathlib
import shutil
import socket
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.parse
import urllib.request

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError:
    print("skipped: Selenium is not installed (Debian: python3-selenium)")
    sys.exit(77)
if not shutil.which("chromium") or not shutil.which("chromedriver"):
    print("skipped: Chromium is not installed (Debian: chromium, chromium-driver)")
    sys.exit(77)

SITE = sys.argv[1]
NGINX = sys.argv[2] if len(sys.argv) > 2 else "/usr/sbin/nginx"

# A made-up city: a loop, a change at 丙, a stop two lines share, a line
# without locations, and the credit its files give.
CREDIT = "# OpenStreetMap relation 1 (© OpenStreetMap contributors, ODbL)\n"
LINES = {
    "1lu.txt": "# 1路\n" + CREDIT + "甲\t116.30|39.90\n乙\t116.31|39.90\n丙\t116.32|39.91\n丁\t116.33|39.91\n"
               "> 返程\n丁\t116.33|39.91\n丙\t116.32|39.91\n乙\t116.31|39.90\n甲\t116.30|39.90\n",
    "2lu.txt": "# 2路\n" + CREDIT + "丙\t116.32|39.91\n戊\t116.32|39.92\n己\t116.33|39.93\n",
    "3lu.txt": "# 3路环线\n" + CREDIT + "戊\t116.32|39.92\n庚\t116.31|39.93\n辛\t116.30|39.92\n戊\t116.32|39.92\n",
    "K5ludianche.txt": "# K5路\n" + CREDIT + "乙\n地铁3号线 A口\n己\n",
}
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for(port):
    for _ in range(200):
        try:
            socket.create_connection(("127.0.0.1", port), timeout=0.1).close()
            return
        except OSError:
            time.sleep(0.05)
    raise RuntimeError(f"nothing listens on {port}")


def fetch(url):
    """The body of a page, whatever its status."""
    try:
        with urllib.request.urlopen(url) as response:
            return response.read().decode()
    except urllib.error.HTTPError as error:
        return error.read().decode()


def plain(text):
    """Text without the isolates that set names apart in titles."""
    return text.replace("\u2068", "").replace("\u2069", "")


def items(html_text):
    """The list items of a page, as text."""
    import re
    return [re.sub(r"<[^>]+>", "", item) for item in re.findall(r"<li>(.*?)</li>", html_text)]


def page_items(driver):
    return [li.text for li in driver.find_elements(By.CSS_SELECTOR, "main ul.guide li")]


def submit(driver, base, form_index, fields, select=None):
    """Types into the form on a page, as a rider does, and submits it."""
    driver.get(base + "/ceshi/xianlu/")
    form = driver.find_elements(By.CSS_SELECTOR, "form.search")[form_index]
    for name, value in fields.items():
        box = form.find_element(By.NAME, name)
        box.clear()
        box.send_keys(value)
    if select:
        Select(form.find_element(By.NAME, "kind")).select_by_value(select)
    form.find_element(By.TAG_NAME, "button").click()
    answered(driver, base + "/ceshi/xianlu/")


def answered(driver, before):
    """Waits until the search page has gone where it leads, or answered."""
    WebDriverWait(driver, 10).until(
        lambda d: d.current_url != before and d.execute_script(
            "return document.readyState === 'complete' && (location.pathname !== '/chaxun/' || "
            "document.querySelector('h1').textContent !== '查询')"))


def check_guide(driver, base, site_base, where):
    origin = urllib.parse.urlsplit(base).netloc
    # A line's page: a map with a mark per stop with a location, both ends
    # labelled, the credit, no sideways scroll at 360 px.
    driver.set_window_size(360, 800)
    driver.get(base + "/ceshi/xianlu/1lu/")
    check(len(driver.find_elements(By.CSS_SELECTOR, "svg.map circle")) == 8, where + ": 8 marks on 1路")
    check(len(driver.find_elements(By.CSS_SELECTOR, "svg.map polyline")) == 2, where + ": two directions")
    check(plain(driver.title) == "测试 1路", where + ": title " + driver.title)
    check("© OpenStreetMap contributors" in driver.find_element(By.TAG_NAME, "footer").text, where + ": credit")
    check(driver.execute_script("return document.documentElement.scrollWidth <= window.innerWidth"),
          where + ": sideways scroll at 360 px")
    driver.get(base + "/ceshi/xianlu/K5ludianche/")
    check(not driver.find_elements(By.CSS_SELECTOR, "svg.map"), where + ": no map without locations")
    driver.set_window_size(1280, 900)

    # Pages that say where a rider is: a city or line that is not there lists
    # what there is (the site's own answers; a static host has its own 404).
    if base == site_base:
        driver.get(base + "/huoxing/xianlu/")
        check(driver.find_element(By.TAG_NAME, "h1").text == "没有这个城市" and
              "测试" in [li.text for li in driver.find_elements(By.CSS_SELECTOR, "main li")],
              where + ": no such city")
        driver.get(base + "/ceshi/xianlu/99lu/")
        check("没有这条线路" in driver.find_element(By.TAG_NAME, "h1").text and
              len(driver.find_elements(By.CSS_SELECTOR, "main ul.guide li")) == 4, where + ": no such line")
    for path in ("/", "/ceshi/xianlu/", "/ceshi/zhandian/" + urllib.parse.quote("丙") + "/"):
        driver.get(base + path)
        links = [a.get_attribute("href") for a in driver.find_elements(By.CSS_SELECTOR, "nav a")]
        check(base + "/" in links and (path == "/" or base + "/ceshi/xianlu/" in links),
              where + ": home and city from " + path)

    # The forms, typed as an input method types.
    submit(driver, base, 0, {"line": "Ｋ５路"}, "trolleybus")
    check(driver.current_url == base + "/ceshi/xianlu/K5ludianche/", where + ": line form to " + driver.current_url)
    driver.back()
    check("/chaxun/" in driver.current_url or "/ceshi/xianlu/" in driver.current_url, where + ": back")
    submit(driver, base, 0, {"city": "测试县", "line": "1"})
    check(driver.current_url == base + "/ceshi/xianlu/1lu/", where + ": city with 县 to " + driver.current_url)
    submit(driver, base, 1, {"stop": "地铁３号线　Ａ口"})
    check(urllib.parse.unquote(driver.current_url) == base + "/ceshi/zhandian/地铁3号线 A口/",
          where + ": stop form to " + repr(urllib.parse.unquote(driver.current_url)))
    submit(driver, base, 1, {"stop": "号线"})
    check(page_items(driver) == ["地铁3号线 A口"], where + ": suggestions " + str(page_items(driver)))
    submit(driver, base, 2, {"from": "甲", "to": "己"})
    site_ways = items(fetch(site_base + "/ceshi/huancheng/" + urllib.parse.quote("甲") + "/" +
                            urllib.parse.quote("己") + "/"))
    check(page_items(driver) == site_ways and site_ways, f"{where}: 甲 → 己 {page_items(driver)} vs {site_ways}")
    measured = driver.execute_script(
        "return performance.getEntriesByName('transfer').map(e => e.duration)")
    check(len(measured) == 1, where + ": the transfer is measured")

    # From a stop's page: a trip from there.
    driver.get(base + "/ceshi/zhandian/" + urllib.parse.quote("丙") + "/")
    check(len(driver.find_elements(By.CSS_SELECTOR, "svg.map polyline")) == 3, where + ": lines through 丙")
    form = driver.find_elements(By.CSS_SELECTOR, "main form.search")[0]
    form.find_element(By.NAME, "to").send_keys("己")
    form.find_element(By.TAG_NAME, "button").click()
    answered(driver, base + "/ceshi/zhandian/" + urllib.parse.quote("丙") + "/")
    check(plain(driver.find_element(By.TAG_NAME, "h1").text) == "测试：丙 → 己", where + ": trip from a stop")

    # Every pair of stops: the page's ways are the site's.
    stops = json.loads(urllib.request.urlopen(site_base + "/ceshi/guide.json").read())["stops"]
    for a in stops:
        for b in stops:
            if a == b:
                continue
            query = urllib.parse.urlencode({"q": "huancheng", "city": "测试", "from": a, "to": b})
            driver.get(base + "/chaxun/?" + query)
            answered(driver, "")
            expected = items(fetch(site_base + "/ceshi/huancheng/" + urllib.parse.quote(a) + "/" +
                                   urllib.parse.quote(b) + "/"))
            check(page_items(driver) == expected, f"{where}: {a} → {b}: {page_items(driver)} vs {expected}")
    # Nothing was asked of another host.
    hosts = driver.execute_script(
        "return performance.getEntriesByType('resource').map(e => new URL(e.name).host)")
    check(all(h == origin for h in hosts), where + ": requests to " + str(set(hosts)))


def write_big_city(folder):
    """The guide benchmark's generated city: 2,000 lines of 30 stops, there
    and back, over 6,000 stops."""
    import random
    rng = random.Random(7)
    folder.mkdir(parents=True)
    (folder / ".city").write_text("大城\n")
    for line in range(1, 2001):
        stops = [f"第{rng.randint(1, 6000)}站\t117.0|36.6" for _ in range(30)]
        (folder / f"{line}lu.txt").write_text(f"# {line}路\n" + "\n".join(stops) + "\n> 返程\n" +
                                              "\n".join(reversed(stops)) + "\n")


def write_dense_city(folder):
    """The README's dense city: 2,000 lines of 30 stops, there and back, over
    300 stops, so that every stop is a hub."""
    import random
    rng = random.Random(7)
    folder.mkdir(parents=True)
    (folder / ".city").write_text("密城\n")
    for line in range(1, 2001):
        stops = [f"第{rng.randint(1, 300)}站\t117.0|36.6" for _ in range(30)]
        (folder / f"{line}lu.txt").write_text(f"# {line}路\n" + "\n".join(stops) + "\n> 返程\n" +
                                              "\n".join(reversed(stops)) + "\n")


def write_hub_city(folder, name, change):
    """3,000 lines of 30 stops, there and back, each with stops of its own:
    every line passes 甲 and then 乙, or (change) half pass 甲 and then 丙, the
    other half 丙 and then 乙, so that every way from 甲 to 乙 changes at 丙."""
    folder.mkdir(parents=True)
    (folder / ".city").write_text(name + "\n")
    for line in range(1, 3001):
        second = change and line > 1500
        hubs = {9: "丙" if second else "甲", 19: "乙" if not change or second else "丙"}
        stops = [f"{hubs.get(i, f'第{line * 30 + i}站')}\t117.{line:04d}|36.{i:02d}" for i in range(30)]
        (folder / f"{line}lu.txt").write_text(f"# {line}路\n" + "\n".join(stops) + "\n> 返程\n" +
                                              "\n".join(reversed(stops)) + "\n")


def measure_city(driver, base, city, name, pairs):
    """The page's ways on a large city are the site's, and how long the page
    takes to work them out once its data has loaded (User Timing:
    "transfer"), and how large that data is."""
    size = len(fetch(base + "/" + city + "/guide.json").encode())
    times = []
    for a, b in pairs:
        driver.get(base + "/chaxun/?" + urllib.parse.urlencode({"q": "huancheng", "city": name, "from": a, "to": b}))
        answered(driver, "")
        expected = items(fetch(base + "/" + city + "/huancheng/" + urllib.parse.quote(a) + "/" +
                               urllib.parse.quote(b) + "/"))
        check(page_items(driver) == expected and expected, f"{name}: {a} → {b}: {page_items(driver)} vs {expected}")
        times += driver.execute_script("return performance.getEntriesByName('transfer').map(e => e.duration)")
    check(len(times) == len(pairs), name + ": every transfer is measured")
    print(f"{name}: guide.json {size / 1024:.0f} KiB; transfers in the browser "
          + ", ".join(f"{t:.1f} ms" for t in times))


def main():
    work = pathlib.Path(tempfile.mkdtemp())
    processes = []
    try:
        data = work / "data" / "ceshi"
        data.mkdir(parents=True)
        (data / ".city").write_text("测试\n")
        for name, text in LINES.items():
            (data / name).write_text(text)
        write_big_city(work / "data" / "daicheng")
        write_dense_city(work / "data" / "micheng")
        write_hub_city(work / "data" / "shuniu", "枢纽城", False)
        write_hub_city(work / "data" / "zhongzhuan", "换乘城", True)
        site_port = free_port()
        processes.append(subprocess.Popen([SITE, "--port", str(site_port), "--data", str(work / "data")],
                                          stdout=subprocess.DEVNULL))
        wait_for(site_port)
        site_base = f"http://127.0.0.1:{site_port}"
        options = webdriver.ChromeOptions()
        for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage"):
            options.add_argument(flag)
        driver = webdriver.Chrome(options=options,
                                  service=Service(executable_path=shutil.which("chromedriver")))
        try:
            check_guide(driver, site_base, site_base, "ridelon-site")
            measure_city(driver, site_base, "daicheng", "大城",
                         (("第1站", "第2站"), ("第17站", "第4242站"), ("第300站", "第5999站")))
            measure_city(driver, site_base, "micheng", "密城",
                         (("第1站", "第2站"), ("第17站", "第242站"), ("第300站", "第99站")))
            measure_city(driver, site_base, "shuniu", "枢纽城", (("甲", "乙"), ("乙", "甲")))
            measure_city(driver, site_base, "zhongzhuan", "换乘城", (("甲", "乙"), ("乙", "甲")))
            if os.access(NGINX, os.X_OK):
                subprocess.run([SITE, "export", "--data", str(work / "data"), "--out", str(work / "www")],
                               check=True, stdout=subprocess.DEVNULL)
                nginx_port = free_port()
                (work / "nginx.conf").write_text(
                    f"daemon off; worker_processes 1; pid {work}/nginx.pid; events {{}}\n"
                    f"http {{ access_log off; client_body_temp_path {work}; include /etc/nginx/mime.types;\n"
                    f"  server {{ listen 127.0.0.1:{nginx_port}; root {work}/www; }} }}\n")
                processes.append(subprocess.Popen([NGINX, "-e", str(work / "error.log"), "-c", str(work / "nginx.conf")]))
                wait_for(nginx_port)
                check_guide(driver, f"http://127.0.0.1:{nginx_port}", site_base, "nginx")
            else:
                print("the export with nginx: skipped, nginx is not installed (Debian: nginx-light)")
        finally:
            driver.quit()
    finally:
        for process in processes:
            process.terminate()
            process.wait()
        shutil.rmtree(work, ignore_errors=True)
    print(f"{len(failures)} failed" if failures else "the guide works in Chromium, live and exported")
    return 1 if failures else 0


sys.exit(main())

"""How fast the browser's Plimvar answers, in a real headless Chromium: the
sort and insert commands at 32766 rows from the press to the painted list,
beside the page's floor (the list box replaced, or given one row, and
painted), and the time from navigation to the painted window beside a page
with the same eight controls and no program. Each figure is the minimum and
the median of its rounds; each ratio is the median of the rounds' own
ratios. Ends with one summary line.

    /usr/bin/python3 bench/web_bench.py build-web/site [ROUNDS]
"""
import os
import random
import re
import shutil
import statistics
import subprocess
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

LARGEST = 32766
SORT, INSERT = 2, 3

# Runs in the page: answers every question at once from a list, and times a
# piece of work to the next painted frame.
HELPERS = """
window.bench = {
    paint: () => new Promise((r) => requestAnimationFrame(() => setTimeout(r, 0))),
    answers: [],
    // Starts at the same point of a frame each time, just after a paint, so
    // that a measurement and its floor wait alike for the next one.
    async time(work) {
        await bench.paint();
        const start = performance.now();
        await work();
        await bench.paint();
        return performance.now() - start;
    },
};
Plimvar.ask = async () => bench.answers.length ? bench.answers.shift() : '';
"""


def run(driver, script, *args):
    return driver.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "(async () => {" + script + "})().then(done, (e) => done('error: ' + e));", *args)


def start_time(driver, address):
    driver.get(address)
    return run(driver, "return await new Promise((r) => new PerformanceObserver((l) => "
                       "r(l.getEntries()[0].renderTime)).observe({type: 'element', buffered: true}));")


def main():
    site = sys.argv[1]
    rounds = int(sys.argv[2]) if len(sys.argv) > 2 else 21
    served = tempfile.mkdtemp()
    shutil.copytree(site, served, dirs_exist_ok=True)
    # The floor's page carries the style sheet inside it, as the site's does.
    here = os.path.dirname(os.path.abspath(__file__))
    subprocess.run(["/usr/bin/python3", os.path.join(here, "..", "web", "page_files.py"),
                    os.path.join(here, "web_floor.html"), os.path.join(here, "..", "web", "plimvar.css"),
                    os.path.join(served, "web_floor.html")], check=True)
    size = sum(os.path.getsize(os.path.join(site, f)) for f in os.listdir(site))
    server = subprocess.Popen(["/usr/bin/python3", "-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
                               "-d", served], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=900,700",
                     "--user-data-dir=" + os.path.join(served, "profile")):
        options.add_argument(argument)
    driver = None
    try:
        port = re.search(rb"port (\d+)", server.stdout.readline()).group(1).decode()
        address = "http://127.0.0.1:%s/" % port
        driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        driver.set_script_timeout(600)
        # Every start from the server, as on a first visit of the day.
        driver.execute_cdp_cmd("Network.enable", {})
        driver.execute_cdp_cmd("Network.setBypassServiceWorker", {"bypass": True})

        samples = {name: [] for name in ("sort_command", "sort_floor", "insert_command",
                                         "insert_floor", "start", "start_floor")}
        ratios = {"sort": [], "insert": [], "start": []}
        for round_ in range(rounds):
            print("round %d of %d" % (round_ + 1, rounds), file=sys.stderr)
            samples["start"].append(start_time(driver, address))
            samples["start_floor"].append(start_time(driver, address + "web_floor.html"))
            ratios["start"].append(samples["start"][-1] / samples["start_floor"][-1])
        driver.get(address)
        driver.execute_script("return document.documentElement.dataset.ready")
        values = [str(random.randint(-32768, 32767)) for _ in range(LARGEST)]
        entered = run(driver, "await new Promise((r) => setTimeout(r, 500));" + HELPERS +
                      "bench.answers = arguments[0]; await Plimvar.press(1);"
                      "return Plimvar.lists[0].count;", [str(LARGEST)] + values)
        if entered != LARGEST:
            raise SystemExit("the entry gave %r rows" % entered)
        for round_ in range(rounds):
            print("round %d of %d" % (round_ + 1, rounds), file=sys.stderr)
            figures = run(driver, """
                const count = document.getElementById('txtBrojElemenata');
                const sorted = Plimvar.lists[1];
                count.value = arguments[0];
                const sort = await bench.time(() => Plimvar.press(arguments[1]));
                const sortFloor = await bench.time(() => sorted.replaced(sorted.count));
                count.value = String(arguments[0] - 1);
                await Plimvar.press(arguments[1]);
                await bench.paint();
                bench.answers = ['123'];
                const insert = await bench.time(() => Plimvar.press(arguments[2]));
                const insertFloor = await bench.time(() => sorted.inserted(100, sorted.count));
                return [sort, sortFloor, insert, insertFloor, sorted.count];
            """, LARGEST, SORT, INSERT)
            if figures[4] != LARGEST:
                raise SystemExit("the insert command gave %r rows" % figures[4])
            for name, value in zip(("sort_command", "sort_floor", "insert_command", "insert_floor"),
                                   figures):
                samples[name].append(value)
            ratios["sort"].append(figures[0] / figures[1])
            ratios["insert"].append(figures[2] / figures[3])
        errors = [e["message"] for e in driver.get_log("browser") if e["level"] == "SEVERE"]
        if errors:
            print("console errors:", errors)
    finally:
        if driver:
            driver.quit()
        server.kill()
        server.wait()
        shutil.rmtree(served, ignore_errors=True)

    print("%-16s %12s %12s   (%d rounds; %d rows)" % ("figure", "min", "median", rounds, LARGEST))
    for name, values in samples.items():
        print("%-16s %12.3f %12.3f   ms" % (name, min(values), statistics.median(values)))
    print("files            %12.1f KB" % (size / 1024))
    median = lambda name: statistics.median(ratios[name])
    print("summary: web_sort_over_floor=%.2f web_insert_over_floor=%.2f web_start_over_floor=%.2f "
          "web_files_kb=%.0f" % (median("sort"), median("insert"), median("start"), size / 1024))


if __name__ == "__main__":
    main()

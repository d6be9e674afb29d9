"""Lighthouse's four scores and first paint for the page, on its mobile and
its desktop profile, with Debian's Chromium and the page served from this
machine. Ends with one summary line.

    /usr/bin/python3 bench/lighthouse.py build-web/site
"""
import json
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
LIGHTHOUSE = os.path.join(HERE, "lighthouse", "node_modules", ".bin", "lighthouse")
CATEGORIES = ("performance", "accessibility", "best-practices", "seo")


def profile(address, name, work):
    report = os.path.join(work, name + ".json")
    preset = ["--preset=desktop"] if name == "desktop" else []
    subprocess.run([LIGHTHOUSE, address, *preset, "--output=json", "--output-path=" + report, "--quiet",
                    "--chrome-flags=--headless=new --no-sandbox --disable-gpu --user-data-dir=" +
                    os.path.join(work, name + "-profile")],
                   env=dict(os.environ, CHROME_PATH="/usr/bin/chromium"), check=True, timeout=300)
    with open(report) as f:
        result = json.load(f)
    scores = [round(100 * result["categories"][c]["score"]) for c in CATEGORIES]
    first_paint = result["audits"]["first-contentful-paint"]["numericValue"] / 1000
    print("%s: %s first_paint=%.2fs" % (name, " ".join("%s=%d" % s for s in zip(CATEGORIES, scores)), first_paint))
    return "lighthouse_%s=%s/%.2fs" % (name, "/".join(map(str, scores)), first_paint)


def main():
    server = subprocess.Popen(["/usr/bin/python3", "-u", "-m", "http.server", "0", "--bind", "127.0.0.1",
                               "-d", sys.argv[1]], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
    try:
        port = re.search(rb"port (\d+)", server.stdout.readline()).group(1).decode()
        with tempfile.TemporaryDirectory() as work:
            figures = [profile("http://127.0.0.1:%s/" % port, name, work) for name in ("mobile", "desktop")]
    finally:
        server.kill()
        server.wait()
    print("summary: " + " ".join(figures))


if __name__ == "__main__":
    main()

"""Writes the page and its script into the site, as one release:
- the page with its style sheet inside it, so that the first paint waits for
  one request, not two;
- the page's policy allowing that one sheet and the page's one script by
  their hashes (no other inline style or script may run);
- the page and the script each stamped with the release they make together,
  named by what they hold, for the script to see that the page is its own.

    page_files.py PAGE STYLE_SHEET SCRIPT SITE
    page_files.py PAGE STYLE_SHEET OUT      (a page of no script: the style alone)
"""
import base64
import hashlib
import os
import re
import sys

page, sheet = sys.argv[1:3]
with open(page, encoding="utf-8") as f:
    html = f.read()
with open(sheet, encoding="utf-8") as f:
    css = f.read()


def digest(text):
    return "'sha256-%s'" % base64.b64encode(hashlib.sha256(text.encode("utf-8")).digest()).decode("ascii")


link = '<link rel="stylesheet" href="plimvar.css">'
if link not in html:
    sys.exit("page_files.py: %s does not link plimvar.css" % page)
html = html.replace(link, "<style>" + css + "</style>").replace("style-src 'self'", "style-src " + digest(css))
if len(sys.argv) == 4:
    with open(sys.argv[3], "w", encoding="utf-8") as f:
        f.write(html)
    sys.exit()

script, site = sys.argv[3:5]
with open(script, encoding="utf-8") as f:
    js = f.read()
inline = re.findall(r"<script>(.*?)</script>", html, re.S)
if len(inline) != 1:
    sys.exit("page_files.py: %s must hold one inline script" % page)
release = hashlib.sha256((html + js).encode("utf-8")).hexdigest()[:16]
html = html.replace("@RELEASE@", release).replace("script-src 'self'", "script-src 'self' " + digest(inline[0]))
if js.count("@RELEASE@") != 1:
    sys.exit("page_files.py: %s must name its release once" % script)
with open(os.path.join(site, "index.html"), "w", encoding="utf-8") as f:
    f.write(html)
with open(os.path.join(site, "plimvar.js"), "w", encoding="utf-8") as f:
    f.write(js.replace("@RELEASE@", release))

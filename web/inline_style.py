"""Writes the page with its style sheet inside it, so that the first paint
waits for one request, not two, and lets the page's policy allow that one
sheet by its hash (no other inline style may apply).

    inline_style.py PAGE STYLE_SHEET OUT
"""
import base64
import hashlib
import sys

page, sheet, out = sys.argv[1:4]
with open(page, encoding="utf-8") as f:
    html = f.read()
with open(sheet, encoding="utf-8") as f:
    css = f.read()
link = '<link rel="stylesheet" href="plimvar.css">'
if link not in html:
    sys.exit("inline_style.py: %s does not link plimvar.css" % page)
digest = base64.b64encode(hashlib.sha256(css.encode("utf-8")).digest()).decode("ascii")
html = html.replace(link, "<style>" + css + "</style>").replace("style-src 'self'", "style-src 'sha256-%s'" % digest)
with open(out, "w", encoding="utf-8") as f:
    f.write(html)

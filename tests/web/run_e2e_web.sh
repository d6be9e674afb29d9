#!/usr/bin/env bash
# The page in a real headless Chromium, driven through WebDriver with a web
# server, a driver and a browser profile of its own, all ended when it ends.
#     run_e2e_web.sh SITE_DIR
set -euo pipefail
site=$(realpath "$1")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
for tool in /usr/bin/chromium /usr/bin/chromedriver; do
    [ -x "$tool" ] || { echo "SKIP: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c 'import selenium' 2>/dev/null || { echo "SKIP: python3-selenium is not installed"; exit 77; }
exec timeout 600 /usr/bin/python3 "$here/e2e_web.py" "$site"

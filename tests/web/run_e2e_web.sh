#!/usr/bin/env bash
# The page in a real browser, driven with a web server, a driver and a
# browser profile of its own, all ended when it ends: headless Chromium, or
# WebKit or Firefox on an X display of their own in a session of their own,
# on whose accessibility bus the test reads them.
#     run_e2e_web.sh SITE_DIR [chromium|webkit|firefox]
set -euo pipefail
site=$(realpath "$1")
engine=${2:-chromium}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
declare -A needs=([chromium]="/usr/bin/chromium /usr/bin/chromedriver"
    [webkit]="/usr/bin/WebKitWebDriver /usr/bin/Xvfb /usr/bin/dbus-run-session"
    [firefox]="/usr/bin/firefox-esr /usr/bin/Xvfb /usr/bin/dbus-run-session")
for tool in ${needs[$engine]}; do
    [ -x "$tool" ] || { echo "SKIP: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c 'import selenium, websockets, pyatspi' 2>/dev/null ||
    { echo "SKIP: python3-selenium, python3-websockets or python3-pyatspi is not installed"; exit 77; }
if [ "$engine" = chromium ]; then
    exec timeout 600 /usr/bin/python3 "$here/e2e_web.py" chromium "$site"
fi
# A runtime directory of its own too: the accessibility bus's socket is made
# there, and another session's would take the place of its.
runtime=$(mktemp -d)
trap 'rm -rf "$runtime"' EXIT
chmod 700 "$runtime"
XDG_RUNTIME_DIR=$runtime timeout 600 dbus-run-session -- /usr/bin/python3 "$here/e2e_web.py" "$engine" "$site"

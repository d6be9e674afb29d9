#!/usr/bin/env bash
# The page in a real browser, driven with a web server, a driver and a
# browser profile of its own, all ended when it ends: in headless Chromium
# through WebDriver, every scenario and the focus checks of every engine; in
# WebKit (through WebDriver, on an X display and a session bus of its own,
# for its accessibility tree) or in Firefox (over WebDriver BiDi), the focus
# checks.
#     run_e2e_web.sh SITE_DIR [webkit|firefox]
set -euo pipefail
site=$(realpath "$1")
engine=${2:-chromium}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
declare -A needs=([chromium]="/usr/bin/chromium /usr/bin/chromedriver" [webkit]="/usr/bin/WebKitWebDriver /usr/bin/Xvfb"
    [firefox]="/usr/bin/firefox-esr")
for tool in ${needs[$engine]}; do
    [ -x "$tool" ] || { echo "SKIP: $tool is not installed"; exit 77; }
done
/usr/bin/python3 -c 'import selenium, websockets' 2>/dev/null ||
    { echo "SKIP: python3-selenium or python3-websockets is not installed"; exit 77; }
case $engine in
chromium)
    timeout 600 /usr/bin/python3 "$here/e2e_web.py" "$site"
    exec timeout 120 /usr/bin/python3 "$here/engines.py" chromium "$site" ;;
webkit)
    exec timeout 180 dbus-run-session -- /usr/bin/python3 "$here/engines.py" webkit "$site" ;;
*)
    exec timeout 180 /usr/bin/python3 "$here/engines.py" "$engine" "$site" ;;
esac

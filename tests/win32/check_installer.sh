#!/usr/bin/env bash
# The MSI as a school's deployment tool uses it, under Wine in a fresh prefix
# on a display of its own: a silent install, the files, the Start-menu
# shortcut and the Add/Remove Programs entry; the installed program starts;
# a newer version built from the same source replaces it; a silent removal
# leaves nothing behind.
#     check_installer.sh MSI WXS STAGE_DIR PROBE_EXE
set -euo pipefail
msi=$(realpath "$1") wxs=$(realpath "$2") stage=$(realpath "$3") probe=$(realpath "$4")
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
wine=/usr/lib/wine/wine64
for tool in Xvfb wixl "$wine"; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done

work=$(mktemp -d)
. "$here/own_prefix.sh"
trap 'stop_own_prefix; rm -rf "$work"' EXIT
start_own_prefix "$work"

fail=0
check() { # what, then a command that must succeed
    local what=$1
    shift
    if "$@" >/dev/null 2>&1; then echo "ok   $what"; else echo "FAIL: $what"; fail=1; fi
}
absent() { ! "$@"; }
msiexec() { timeout 120 "$wine" msiexec "$@"; }
folder="$WINEPREFIX/drive_c/Program Files/Plimvar"
# Wine files a per-machine shortcut under the user's Start menu; Windows
# under ProgramData. Either is the Start menu.
shortcuts() { find "$WINEPREFIX/drive_c" -path '*Start Menu/Programs/Plimvar.lnk'; }
uninstall_entry() {
    "$wine" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
        tr -d '\r' | awk '/^HKEY/ { key = $0 } /DisplayName +REG_SZ +Plimvar$/ { print key }'
}
entry_has() { "$wine" reg query "$(uninstall_entry)" /v "$1" 2>/dev/null | tr -d '\r' | grep -q "REG_SZ *$2\$"; }

check "silent install" msiexec /i "$msi" /qn
for f in Plimvar.exe LICENSE.txt THIRD-PARTY-NOTICES.txt; do
    check "installed $f" test -s "$folder/$f"
done
check "Start-menu shortcut" test -n "$(shortcuts)"
check "shortcut names the program" grep -qa 'Plimvar.exe' "$(shortcuts | head -n 1)"
check "one uninstall entry" test "$(uninstall_entry | wc -l)" -eq 1
check "entry's version" entry_has DisplayVersion 1.00
check "entry's publisher" entry_has Publisher "The Plimvar developers"
check "entry's help link" entry_has HelpLink "https://plimvar.org/"

"$wine" "$folder/Plimvar.exe" &
started() { echo window | timeout 20 "$wine" "$probe" | grep -q $'^caption\tPlimvar u sortiran niz'; }
for _ in $(seq 60); do started && break; sleep 0.5; done
check "the installed program shows its window" started
"$wine" "C:\\windows\\system32\\taskkill.exe" /im Plimvar.exe /f >/dev/null 2>&1 || true
timeout 30 /usr/lib/wine/wineserver -w || true

# A newer version, built from the same source with the fixed UpgradeCode.
(cd "$stage" && wixl --arch x64 -D Version=1.99 -D SourceDir=. -o "$work/newer.msi" "$wxs")
check "silent upgrade" msiexec /i "$work/newer.msi" /qn
check "the newer version replaces the older" test "$(uninstall_entry | wc -l)" -eq 1
check "entry's version after the upgrade" entry_has DisplayVersion 1.99

check "silent removal" msiexec /x "$work/newer.msi" /qn
check "no program folder left" absent test -e "$folder"
check "no shortcut left" test -z "$(shortcuts)"
check "no uninstall entry left" test -z "$(uninstall_entry)"
check "no registry key left" absent "$wine" reg query 'HKLM\Software\Plimvar'
[ $fail -eq 0 ] && echo "PASS: the installer under Wine"
exit $fail

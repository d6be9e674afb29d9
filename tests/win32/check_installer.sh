#!/usr/bin/env bash
# The MSIs as a school's deployment tool uses them, under Wine in fresh
# prefixes on a display of their own. A rebuild gives the same bytes and so
# the same codes. Per machine: a silent install, the files, the Start-menu
# shortcut and the Add/Remove Programs entry; the installed program starts;
# the rebuilt file installed over it leaves one entry; a newer version built
# from the same source replaces it; a silent removal leaves nothing behind.
# Per user: in and out silently, under the user's profile only, under a name
# of its own. The two MSIs share the UpgradeCode and differ in ProductCode
# and name. And a build signed with a certificate made here passes
# osslsigncode's check.
#     check_installer.sh BUILD_DIR SOURCE_DIR PROBE_EXE   (in a session of its
#                                                        own, with x and wine)
set -euo pipefail
build=$(realpath "$1") source=$(realpath "$2") probe=$(realpath "$3")
msi=$build/Plimvar-1.00-x64.msi user_msi=$build/Plimvar-1.00-x64-user.msi
wine=/usr/lib/wine/wine64
for tool in wixl msibuild msiinfo faketime osslsigncode openssl; do
    command -v "$tool" >/dev/null || { echo "SKIP: $tool is not installed"; exit 77; }
done
work=$PLIMVAR_SESSION

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
uninstall_entry() { # in HKLM, or the given root, under the given name
    "$wine" reg query "${1:-HKLM}"'\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s 2>/dev/null |
        tr -d '\r' | NAME="${2:-Plimvar}" awk '/^HKEY/ { key = $0 }
            $1 == "DisplayName" { v = substr($0, index($0, "REG_SZ") + 6); sub(/^ +/, "", v); if (v == ENVIRON["NAME"]) print key }'
}
entry_has() { "$wine" reg query "$(uninstall_entry)" /v "$1" 2>/dev/null | tr -d '\r' | grep -q "REG_SZ *$2\$"; }

property() { msiinfo export "$1" Property | tr -d '\r' | awk -v name="$2" -F '\t' '$1 == name { print $2 }'; }
product_code() { property "$1" ProductCode; }
mkdir "$work/first"
cp "$msi" "$user_msi" "$work/first/"
rm "$msi" "$user_msi"
cmake --build "$build" --target msi >/dev/null
check "a rebuild gives the same ProductCode" test "$(product_code "$msi")" = "$(product_code "$work/first/${msi##*/}")"
check "a rebuild gives the same bytes" cmp "$msi" "$work/first/${msi##*/}"
check "a rebuild gives the same bytes, per user" cmp "$user_msi" "$work/first/${user_msi##*/}"
check "the two MSIs: one UpgradeCode" test "$(property "$msi" UpgradeCode)" = "$(property "$user_msi" UpgradeCode)"
check "the two MSIs: two ProductCodes" test "$(product_code "$msi")" != "$(product_code "$user_msi")"
# A repair restores a component by its GUID: two components with one would
# leave one of their files for good.
component_guids() { msiinfo export "$1" Component | tr -d '\r' | awk -F '\t' 'NR > 3 { print $2 }'; }
for m in "$msi" "$user_msi"; do
    check "${m##*/}: components, each with its own GUID" \
        test "$(component_guids "$m" | sort -u | grep -c .)" -eq "$(msiinfo export "$m" Component | tail -n +4 | grep -c .)"
done
check "the two MSIs: two names" test "$(property "$msi" ProductName)" = Plimvar -a \
    "$(property "$user_msi" ProductName)" = "Plimvar (User)"

check "silent install" msiexec /i "$work/first/${msi##*/}" /qn
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
title=$(/usr/bin/python3 -c 'import json, os; print(json.load(open(os.environ["PLIMVAR_TEXTS"]))["window"]["title"])')
started() { echo window | timeout 20 "$wine" "$probe" | grep -qF "$(printf 'caption\t%s' "$title")"; }
for _ in $(seq 60); do started && break; sleep 0.5; done
check "the installed program shows its window" started
"$wine" "C:\\windows\\system32\\taskkill.exe" /im Plimvar.exe /f >/dev/null 2>&1 || true
timeout 30 /usr/lib/wine/wineserver -w || true

check "the rebuilt file over it" msiexec /i "$msi" /qn
check "still one uninstall entry" test "$(uninstall_entry | wc -l)" -eq 1
check "entry's install location" entry_has InstallLocation 'C:\\Program Files\\Plimvar\\'

# A newer version, built by the build's own script with the installed one's UpgradeCode.
cp -r "$build/msi-stage" "$work/stage"
cmake -D STAGE="$work/stage" -D WXS="$source/packaging/windows/plimvar.wxs" -D MSI="$work/newer.msi" \
    -D VERSION=1.99 -D FILE_VERSION=1.99.0.0 -D SCOPE=perMachine -D UPGRADE_CODE="$(property "$msi" UpgradeCode | tr -d {})" \
    -D SOURCE_DATE=315532800 -D WIXL="$(command -v wixl)" -D MSIBUILD="$(command -v msibuild)" \
    -D FAKETIME="$(command -v faketime)" -P "$source/packaging/windows/build_msi.cmake" >/dev/null
check "the newer version: another ProductCode" test "$(product_code "$work/newer.msi")" != "$(product_code "$msi")"
check "silent upgrade" msiexec /i "$work/newer.msi" /qn
check "the newer version replaces the older" test "$(uninstall_entry | wc -l)" -eq 1
check "entry's version after the upgrade" entry_has DisplayVersion 1.99

check "silent removal" msiexec /x "$work/newer.msi" /qn
check "no program folder left" absent test -e "$folder"
check "no shortcut left" test -z "$(shortcuts)"
check "no uninstall entry left" test -z "$(uninstall_entry)"
check "no registry key left" absent "$wine" reg query 'HKLM\Software\Plimvar'

check "per machine: installs only with elevation" test "$(msiinfo suminfo "$msi" | awk '/^Source:/ { print $2 }')" = 2
check "per user: no elevation (Word Count bit 8)" test "$(msiinfo suminfo "$user_msi" | awk '/^Source:/ { print $2 }')" = 10
check "per user: silent install" msiexec /i "$user_msi" /qn
mine="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/Plimvar"
for f in Plimvar.exe LICENSE.txt THIRD-PARTY-NOTICES.txt; do
    check "per user: installed $f under the profile" test -s "$mine/$f"
done
check "per user: nothing under Program Files" absent test -e "$folder"
check "per user: Start-menu shortcut" test -n "$(shortcuts)"
user_product() { "$wine" reg query 'HKCU\Software\Microsoft\Installer\Products' /s 2>/dev/null | grep -q 'ProductName.*Plimvar'; }
check "per user: the product is the user's own" user_product
# Windows files the entry under the user's keys, Wine under the machine's.
check "per user: an uninstall entry of its name" test -n "$(uninstall_entry HKCU 'Plimvar (User)')$(uninstall_entry HKLM 'Plimvar (User)')"
check "per user: silent removal" msiexec /x "$user_msi" /qn
check "per user: nothing left" absent test -e "$mine"
check "per user: no shortcut left" test -z "$(shortcuts)"
check "per user: no product or entry left" test -z "$(user_product && echo left)$(uninstall_entry HKCU 'Plimvar (User)')$(uninstall_entry HKLM 'Plimvar (User)')"

# A release signed with a certificate made here, for this run only.
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Plimvar test" -keyout "$work/key.pem" \
    -out "$work/cert.pem" 2>/dev/null
echo secret >"$work/password"
openssl pkcs12 -export -in "$work/cert.pem" -inkey "$work/key.pem" -passout file:"$work/password" \
    -out "$work/release.p12"
cmake -S "$source" -B "$work/signed" -D CMAKE_TOOLCHAIN_FILE="$source/cmake/mingw-w64-x86_64.cmake" \
    -D BUILD_TESTING=OFF -D PLIMVAR_SIGN_PKCS12="$work/release.p12" -D PLIMVAR_SIGN_PASSWORD_FILE="$work/password" \
    >/dev/null
cmake --build "$work/signed" --target msi --parallel "$(nproc)" >/dev/null
for f in msi-stage/Plimvar.exe Plimvar-1.00-x64.msi Plimvar-1.00-x64-user.msi; do
    osslsigncode verify -CAfile "$work/cert.pem" -in "$work/signed/$f" | tee -a "$work/verify.log" | grep -q '^Signature verification: ok' &&
        echo "ok   signed $f" || { echo "FAIL: signed $f"; cat "$work/verify.log"; fail=1; }
done
[ $fail -eq 0 ] && echo "PASS: the installers under Wine"
exit $fail

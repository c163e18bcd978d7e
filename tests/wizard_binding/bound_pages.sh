#!/bin/sh
# Bound wizard pages under Xvfb: the target edit, the browse rule, status texts,
# multi-selection, the component list, the licence rule and caption branding.
# Screenshots of each page go into the artifacts folder.
# usage: bound_pages.sh PAGE_HOST WINDOW_DRIVER BINDING_DRIVER FIXTURES ARTIFACTS WINE_RUN LANG_LOC
set -eu
host=$1 driver=$2 bdriver=$3 fixtures=$4 out=$5 wine_run=$6 lang_loc=$7
mkdir -p "$out"
rm -f "$out"/*.png "$out/display" "$out/host.out" "$out/host.err"
export QEL_WINE_ROOT="$out/wine"
xvfb_pid=""
host_pid=""
server() { WINEPREFIX="$QEL_WINE_ROOT/prefix" HOME="$QEL_WINE_ROOT/home" TMPDIR="$QEL_WINE_ROOT/tmp" /usr/lib/wine/wineserver64 "$@" 2>/dev/null || true; }
cleanup() {
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null || true
  [ -d "$QEL_WINE_ROOT/prefix" ] && server -k
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT INT TERM

Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$out/display" 2>/dev/null &
xvfb_pid=$!
tries=0
while [ ! -s "$out/display" ]; do
  tries=$((tries + 1))
  [ $tries -gt 100 ] && { echo "Xvfb did not start"; exit 1; }
  sleep 0.1
done
export DISPLAY=":$(head -n1 "$out/display")"
"$wine_run" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
"$wine_run" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
server -k
server -w

support="$out/support"
rm -rf "$support"
mkdir -p "$support"
cp "$fixtures"/*.dfm "$fixtures"/*.qelf "$fixtures/license.txt" "$support/"
# Only C:\Program Files exists of the target C:\Program Files\Firm\Tool.
"$wine_run" "$host" "Z:$support" folder choices licence shortlicence \
  --set 'TARGETDIR=C:\Program Files\Firm\Tool' --set PRODUCT=Tool --set OXLELOGO=TRUE \
  --component 'App=TRUE:1048576' --component 'App\Help=TRUE:524288' --component 'Application=TRUE:100:hidden' \
  --component 'Tools=FALSE:5' --browse 'D:\Apps' --lang-file "Z:$lang_loc" \
  --print FEATURES --print ACCEPT --print TARGETDIR --print INSTALLDIR \
  --print-component App --print-component 'App\Help' --print-component Application --print-component Tools \
  >"$out/host.out" 2>"$out/host.err" &
host_pid=$!

drive() { "$wine_run" "$driver" "$@"; }
bdrive() { "$wine_run" "$bdriver" "$@"; }
fail() { echo "FAIL: $*"; cat "$out/host.err"; exit 1; }
# Polls briefly: handlers run in the page's process after the driver returns.
expect() {  # what, expected, command...
  what=$1 want=$2
  shift 2
  n=0
  while :; do
    got=$("$@" | tr -d '\r')
    [ "$got" = "$want" ] && return 0
    n=$((n + 1))
    [ $n -gt 25 ] && fail "$what: '$got', expected '$want'"
    sleep 0.2
  done
}
shot() { import -window root "$out/$1.png"; }
page() { drive wait-window "$1" 60000 >/dev/null || fail "page '$1' did not appear"; sleep 0.5; }

# The branding text is removed from the caption with OXLELOGO TRUE: the page is
# found under its bare title only.
page "Folder Page"
expect "label with a variable" "Install Tool to:" drive get-text "Folder Page" "Install Tool to:"
expect "Tag 2 edit" 'C:\Program Files\Firm\Tool' drive get-text "Folder Page" "Edit@0"
expect "Tag 2 edit bound to a missing variable" 'C:\Program Files\Firm\Tool' drive get-text "Folder Page" "Edit@1"
expect "Tag 100 edit bound to a missing variable" '' drive get-text "Folder Page" "Edit@2"
# App 1,048,576 + App\Help 524,288 + Application 100 = 1,572,964 bytes.
expect "required space" "1,536 KB" drive get-text "Folder Page" "Static@0"
shot folder
drive click "Folder Page" "Browse..."
expect "browse keeps the missing tail" 'D:\Apps\Firm\Tool' drive get-text "Folder Page" "Edit@0"
expect "browse result in the bound edit" 'D:\Apps\Firm\Tool' drive get-text "Folder Page" "Edit@1"
expect "Tag 100 edit refreshed" 'D:\Apps\Firm\Tool' drive get-text "Folder Page" "Edit@2"
shot folder-browsed
drive click "Folder Page" "Next >"

page "Choices Page"
expect "component list checks" "1 0" bdrive get-checks "Choices Page" "SysListView32@0"
bdrive select-items "Choices Page" "ListBox@0" 0 2
shot choices
# Unchecking "App" reaches App\Help and the hidden "Application" too.
bdrive set-check "Choices Page" "SysListView32@0" 0 0
expect "required space after unchecking App" "0 bytes" drive get-text "Choices Page" "Static@1"
bdrive set-check "Choices Page" "SysListView32@0" 1 1
expect "required space with Tools" "5 bytes" drive get-text "Choices Page" "Static@1"
shot choices-changed
drive click "Choices Page" "Next >"

page "Licence Page"
expect "accept disabled before reading" 0 drive is-enabled "Licence Page" "I accept the agreement"
shot licence
bdrive scroll-end "Licence Page" "Edit@0"
expect "accept enabled at the end" 1 drive is-enabled "Licence Page" "I accept the agreement"
drive click "Licence Page" "I accept the agreement"
shot licence-read
drive click "Licence Page" "Next >"

page "Short Licence Page"
expect "short licence enables at once" 1 drive is-enabled "Short Licence Page" "I accept the agreement"
shot short-licence
drive click "Short Licence Page" "Next >"

wait "$host_pid" || fail "page host failed"
host_pid=""
cat "$out/host.out"
tr -d '\r' <"$out/host.out" >"$out/host.txt"
check() { grep -qxF "$1" "$out/host.txt" || fail "host output lacks '$1'"; }
check 'walk: folder=NEXT choices=NEXT licence=NEXT shortlicence=NEXT '
check 'FEATURES=A$NEWLINE$C$NEWLINE$'
check 'ACCEPT=TRUE'
# An edit without a Hint shows the target but writes no variable.
check 'TARGETDIR=C:\Program Files\Firm\Tool'
check 'INSTALLDIR=D:\Apps\Firm\Tool'
check 'component App=FALSE'
check 'component App\Help=FALSE'
check 'component Application=FALSE'
check 'component Tools=TRUE'
echo "bound pages checked; screenshots in $out"

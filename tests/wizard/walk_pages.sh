#!/bin/sh
# Walks three wizard pages under Xvfb with the window driver: Next, Back, Next,
# Next, then Cancel answered with Yes; checks the result words and saves a
# screenshot of each page into the artifacts folder.
# usage: walk_pages.sh PAGE_HOST WINDOW_DRIVER FIXTURES ARTIFACTS WINE_RUN
set -eu
host=$1 driver=$2 fixtures=$3 out=$4 wine_run=$5
mkdir -p "$out"
rm -f "$out"/*.png "$out/display" "$out/host.out" "$out/host.err"
# A prefix of its own: the build's default prefix uses the null graphics driver.
export QEL_WINE_ROOT="$out/wine"
xvfb_pid=""
host_pid=""
cleanup() {
  [ -n "$host_pid" ] && kill "$host_pid" 2>/dev/null || true
  if [ -d "$QEL_WINE_ROOT/prefix" ]; then
    WINEPREFIX="$QEL_WINE_ROOT/prefix" HOME="$QEL_WINE_ROOT/home" TMPDIR="$QEL_WINE_ROOT/tmp" \
      /usr/lib/wine/wineserver64 -k 2>/dev/null || true
  fi
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

# Wine-drawn window frames inside a virtual desktop.
"$wine_run" reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
"$wine_run" reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
# The desktop mode is read when the prefix starts: restart its server.
WINEPREFIX="$QEL_WINE_ROOT/prefix" HOME="$QEL_WINE_ROOT/home" TMPDIR="$QEL_WINE_ROOT/tmp" /usr/lib/wine/wineserver64 -k 2>/dev/null || true
WINEPREFIX="$QEL_WINE_ROOT/prefix" HOME="$QEL_WINE_ROOT/home" TMPDIR="$QEL_WINE_ROOT/tmp" /usr/lib/wine/wineserver64 -w 2>/dev/null || true

support="$out/support"
mkdir -p "$support"
for page in welcome licence folder; do
  cp "$fixtures/$page.dfm" "$fixtures/$page.dfm.qelf" "$support/"
done

"$wine_run" "$host" "Z:$support" welcome licence folder >"$out/host.out" 2>"$out/host.err" &
host_pid=$!

title="Product Setup"
drive() { "$wine_run" "$driver" "$@"; }
expect_text() {  # control, expected text
  got=$(drive get-text "$title" "$1" | tr -d '\r')
  [ "$got" = "$2" ] || { echo "text of $1: '$got', expected '$2'"; exit 1; }
}
shot() { import -window root "$out/$1.png"; }
on_page() { drive wait-control "$title" "$1" 20000 || { echo "page with '$1' did not appear"; cat "$out/host.err"; exit 1; }; }

drive wait-window "$title" 60000 >/dev/null
on_page "Welcome to the Product Setup Wizard"
drive list-controls "$title" >"$out/welcome-controls.txt"
expect_text "Edit@0" "abc"
drive set-text "$title" "Edit@0" "typed"
expect_text "Edit@0" "typed"
[ "$(drive is-enabled "$title" "< Back" | tr -d '\r')" = 0 ] || { echo "Back should be disabled"; exit 1; }
shot welcome
drive click "$title" "Next >"
on_page "License Agreement"
shot licence
drive click "$title" "< Back"
on_page "Welcome to the Product Setup Wizard"
drive click "$title" "Next >"
on_page "License Agreement"
drive click "$title" "Next >"
on_page "Install to:"
shot folder
drive click "$title" "Cancel"
drive answer-msgbox IDYES 20000 >"$out/cancel-question.txt"
wait "$host_pid" || { echo "page host failed"; cat "$out/host.err"; exit 1; }
host_pid=""
cat "$out/host.out"
grep -q "walk: welcome=NEXT licence=BACK welcome=NEXT licence=NEXT folder=CANCEL" "$out/host.out"
grep -q "OXLE_IsCancelled=TRUE" "$out/host.out"
echo "pages walked; screenshots in $out"

#!/usr/bin/env bash
# Pictures of the program as a fitter sees it, in every language, colour theme, view level and window
# size asked for: both simulators on pseudo-terminals, the program connected to both on a private
# virtual display, one picture after start-up and one per top tab and page (F1..F6, F3 and F6 again
# for the next pages), and the manual's window. Each language/theme/view/size gets a folder of its
# own, and with -c a contact sheet of all its pictures (sheet.png) for looking through many at once.
# For the languages of -L and the themes of -T (at each size, in the widest view asked for) the
# program then starts again on its picture tour (kavelo --tour): the oscilloscope in each of its
# three layouts, each top menu dropped down and each dialog of the window open, one picture each.
#
# usage: scripts/screens.sh [-b BUILD_DIR] [-o OUT_DIR] [-l "0 1 2 3"] [-t "0 1 2 3 4 5"] [-v "0 1 2"]
#                           [-s "1366x768 640x480"] [-w SECONDS] [-c] [-L "1 3"] [-T "0 3 4"]
#   -l languages (0 English, 1 Polish, 2 Russian, 3 Spanish), -t colour themes, -v view levels
#   (0 basic, 1 full, 2 advanced), -s window sizes, -w seconds to wait for the first read (and for the
#   adapter, which turns the window to the OBD tab once), -c contact sheets, -L and -T the languages and
#   themes of the picture tour (default Polish and Spanish in one theme of each colour family: light
#   Windows, dark Grey, light Black; -L "" for none)
# Default: everything (4 x 6 x 3 x 2 = 144 sets). Needs Xvfb, xdotool and ImageMagick; installs them
# with apt-get when missing.
set -u
build=build; out=screens; langs="0 1 2 3"; themes="0 1 2 3 4 5"; views="0 1 2"; sizes="1366x768 640x480"; wait=7; sheets=0
tour_langs="1 3"; tour_themes="0 3 4"
while getopts b:o:l:t:v:s:w:cL:T: opt; do
  case $opt in
    b) build=$OPTARG ;; o) out=$OPTARG ;; l) langs=$OPTARG ;; t) themes=$OPTARG ;; v) views=$OPTARG ;;
    s) sizes=$OPTARG ;; w) wait=$OPTARG ;; c) sheets=1 ;; L) tour_langs=$OPTARG ;; T) tour_themes=$OPTARG ;;
    *) sed -n '2,22p' "$0"; exit 2 ;;
  esac
done
find_exe() { find "$build" -type f -name "$1" -perm -u+x 2>/dev/null | head -n 1; }
prog=$(find_exe kavelo); sim=$(find_exe kavelo-sim)
[ -n "$prog" ] && [ -n "$sim" ] || { echo "no kavelo or kavelo-sim under $build: build first" >&2; exit 2; }
need=""
command -v Xvfb >/dev/null || need="$need xvfb"
command -v xdotool >/dev/null || need="$need xdotool"
command -v import >/dev/null || need="$need imagemagick"
if [ -n "$need" ]; then apt-get install -y $need >/dev/null 2>&1 || { apt-get update >/dev/null 2>&1; apt-get install -y $need >/dev/null 2>&1; }; fi
mkdir -p "$out"
tmp=$(mktemp -d); pids=(); prog_pid=
cleanup() {
  [ -n "$prog_pid" ] && kill "$prog_pid" 2>/dev/null
  for p in "${pids[@]}"; do kill "$p" 2>/dev/null; done
  wait 2>/dev/null; rm -rf "$tmp"
}
trap cleanup EXIT

disp=:$(( 90 + RANDOM % 100 ))
Xvfb "$disp" -screen 0 1366x768x24 >/dev/null 2>&1 & pids+=($!)
sleep 1
"$sim" controller --drive --injectors 4 >"$tmp/ctl" 2>&1 & pids+=($!)
"$sim" elm --stored P0171,P0300 >"$tmp/elm" 2>&1 & pids+=($!)
for i in $(seq 50); do [ -s "$tmp/ctl" ] && [ -s "$tmp/elm" ] && break; sleep 0.1; done
ctl=$(head -n 1 "$tmp/ctl" | cut -f1); elm=$(head -n 1 "$tmp/elm" | cut -f1)
[ -n "$ctl" ] && [ -n "$elm" ] || { echo "the simulators did not start: $(cat "$tmp/ctl" "$tmp/elm")" >&2; exit 1; }
# Port numbers as the program stores them: /dev/pts/N is 385 + N.
ctl_no=$(( 385 + ${ctl##*/} )); elm_no=$(( 385 + ${elm##*/} ))

export DISPLAY=$disp HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config
mkdir -p "$HOME/Documents" "$XDG_CONFIG_HOME"
unset QT_QPA_PLATFORM
shots=0
for size in $sizes; do
  w=${size%x*}; h=${size#*x}
  for lang in $langs; do for theme in $themes; do for view in $views; do
    set_dir="$out/$size/lang$lang-theme$theme-view$view"
    mkdir -p "$set_dir"
    # The preferences the program starts with (read in this order; each one needs those before it).
    printf '[General]\nComm=%s\nElmComm=%s\nComp=%s\nLang=%s\nView=%s\nWTop=0\nWLeft=0\nWWidth=%s\nWHeight=%s\nWState=0\nAutoBackup=0\n' \
      "$ctl_no" "$elm_no" "$theme" "$lang" "$view" "$w" "$h" >"$XDG_CONFIG_HOME/ZorUDU.conf"
    "$prog" --port "$ctl" --elm-port "$elm" >"$tmp/prog.log" 2>&1 & prog_pid=$!
    win=""
    for i in $(seq 100); do
      win=$(xdotool search --onlyvisible --name '^KAVELO' 2>/dev/null | head -n 1); [ -n "$win" ] && break; sleep 0.1
    done
    if [ -z "$win" ]; then
      echo "no window for $set_dir: $(tail -n 5 "$tmp/prog.log")" >&2
      kill "$prog_pid" 2>/dev/null; wait "$prog_pid" 2>/dev/null; prog_pid=; continue
    fi
    xdotool windowsize "$win" "$w" "$h" windowmove "$win" 0 0 2>/dev/null
    sleep "$wait"
    shot() { import -window "$win" "$set_dir/$1.png" 2>/dev/null && shots=$(( shots + 1 )); }
    shot 00-start
    n=1
    for step in F1:settings F2:calibration F3:map F3:map-page1 F3:map-page2 F3:map-page3 F3:map-page4 \
                F4:diagnostics F5:oscilloscope F6:obd F6:obd-page1 F6:obd-page2 F6:obd-page3; do
      xdotool windowactivate --sync "$win" key "${step%%:*}" 2>/dev/null || xdotool key --window "$win" "${step%%:*}"
      sleep 0.6
      shot "$(printf '%02d' $n)-${step#*:}"; n=$(( n + 1 ))
    done
    kill "$prog_pid" 2>/dev/null; wait "$prog_pid" 2>/dev/null; prog_pid=
    widest_view=${views##* }
    if [ "$view" = "$widest_view" ] && [[ " $tour_langs " == *" $lang "* ]] && [[ " $tour_themes " == *" $theme "* ]]; then
      before=$(ls "$set_dir"/*.png 2>/dev/null | wc -l)
      "$prog" --port "$ctl" --elm-port "$elm" --tour "$set_dir" >"$tmp/tour.log" 2>&1 & prog_pid=$!
      for i in $(seq 900); do kill -0 "$prog_pid" 2>/dev/null || break; sleep 0.1; done
      kill "$prog_pid" 2>/dev/null; wait "$prog_pid" 2>/dev/null; prog_pid=
      shots=$(( shots + $(ls "$set_dir"/*.png 2>/dev/null | wc -l) - before ))
    fi
    [ "$sheets" = 1 ] && montage "$set_dir"/[0-9]*.png -tile 4x -geometry 683x384+2+2 "$set_dir/sheet.png" 2>/dev/null
  done; done; done
done
echo "$shots pictures in $out"

#!/usr/bin/env bash
# Starts the game on a virtual X server once for each of the twelve missions
# (KRX_MISSION), skips the movies and takes a screenshot of the mission's
# start into the output folder: each must show a lit, varied picture of its
# own (the ground, the character, the panel), and F6 must end the game with 0.
set -u
krx=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); out="$2"; data="$3"
mkdir -p "$out"
out=$(cd "$out" && pwd)
rm -rf "$out/game"; mkdir -p "$out/game"
for d in "$data"/*/; do ln -s "$(cd "$d" && pwd)" "$out/game/$(basename "$d")"; done
data="$out/game"

display=":$((500 + RANDOM % 400))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb=$!
game=""
trap 'kill $xvfb 2>/dev/null; [ -n "$game" ] && kill $game 2>/dev/null' EXIT
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

sums=""
for n in ${KRX_XVFB_MISSIONS:-$(seq 1 12)}; do
  (cd "$data" && KRX_MISSION=$n SDL_AUDIODRIVER=dummy exec "$krx") >"$out/game$n.log" 2>&1 &
  game=$!
  win=""
  for _ in $(seq 100); do
    win=$(xdotool search --name '^KRX Project$' 2>/dev/null | head -n 1)
    [ -n "$win" ] && break
    sleep 0.1
  done
  if [ -z "$win" ]; then echo "mission $n: no window"; cat "$out/game$n.log"; exit 1; fi
  xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
  sleep 0.3
  # One short Escape skips both movies (one more, or one held on into play,
  # would open the system menu); the mouse rests off the panel.
  xdotool mousemove 300 250
  xdotool keydown Escape; sleep 0.15; xdotool keyup Escape
  sleep 3
  shot=$(printf '%s/mission%02d.png' "$out" "$n")
  import -window root "$shot" || { echo "mission $n: screenshot failed"; exit 1; }
  read -r mean dev < <(convert "$shot" -colorspace gray -format '%[fx:mean] %[fx:standard_deviation]\n' info:)
  if ! awk -v m="$mean" -v d="$dev" 'BEGIN { exit !(m > 0.05 && d > 0.03) }'; then
    echo "mission $n: the screen is dark or flat (mean $mean, deviation $dev)"; exit 1
  fi
  sums="$sums $(convert "$shot" -depth 8 rgb:- | md5sum | cut -c1-32)"
  xdotool keydown F6; sleep 0.3; xdotool keyup F6
  for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$game" 2>/dev/null; then echo "mission $n: F6 did not end the game"; exit 1; fi
  wait "$game"; rc=$?
  game=""
  [ "$rc" = 0 ] || { echo "mission $n: exit code $rc"; cat "$out/game$n.log"; exit 1; }
done
distinct=$(echo $sums | tr ' ' '\n' | sort -u | wc -l)
[ "$distinct" = 12 ] || { echo "only $distinct distinct mission starts"; exit 1; }
echo "twelve mission starts shown and saved in $out"

#!/usr/bin/env bash
# Starts the game on a virtual X server once for each mission given (all
# twelve unless given; KRX_MISSION), skips the movies and takes a screenshot of the mission's
# start, once the loading picture has faded, into the output folder: each
# must show a lit, varied picture of its own (the ground, the character, the
# panel), and F6 must end the game with 0.
set -u
. "$(dirname "$0")/../support/xvfb.sh"
krx=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); out="$2"; data="$3"
shift 3
missions="${KRX_XVFB_MISSIONS:-${*:-$(seq 1 12)}}"
mkdir -p "$out"
out=$(cd "$out" && pwd)
link_data "$data" "$out/game"
data="$out/game"
xvfb_start "$out"

sums=""
for n in $missions; do
  start_game "$krx" "$data" "$out/game$n.log" KRX_MISSION=$n
  sleep 0.3
  # One short Escape skips both movies (one more, or one held on into play,
  # would open the system menu); the mouse rests off the panel.
  xdotool mousemove 300 250
  xdotool keydown Escape; sleep 0.15; xdotool keyup Escape
  # The mission loads (slowly on a busy machine), and its loading picture
  # fades out over 3.5 s: the shot shows the first moments of play.
  shot=$(printf '%s/mission%02d.png' "$out" "$n")
  lit() {
    import -window root "$shot" 2>/dev/null || return 1
    read -r mean dev < <(convert "$shot" -colorspace gray -format '%[fx:mean] %[fx:standard_deviation]\n' info:)
    awk -v m="$mean" -v d="$dev" 'BEGIN { exit !(m > 0.05 && d > 0.03) }'
  }
  for _ in $(seq 60); do lit && break; sleep 0.5; done
  sleep 4
  if ! lit; then echo "mission $n: the screen is dark or flat (mean $mean, deviation $dev)"; exit 1; fi
  sums="$sums $(convert "$shot" -depth 8 rgb:- | md5sum | cut -c1-32)"
  xdotool keydown F6; sleep 0.3; xdotool keyup F6
  wait_exit "F6 in mission $n" "$out/game$n.log"
done
count=$(echo $missions | wc -w)
distinct=$(echo $sums | tr ' ' '\n' | sort -u | wc -l)
[ "$distinct" = "$count" ] || { echo "only $distinct distinct starts of $count missions"; exit 1; }
echo "$count mission starts shown and saved in $out"

#!/usr/bin/env bash
# Starts the game on a virtual X server once for each mission given (all
# twelve unless given; KRX_MISSION), holds Escape through both movies into
# play, where it opens the system menu, resumes, and takes a screenshot of
# the mission's start once its loading picture has faded, into the output
# folder: each must show the start the headless run draws, a lit, varied
# picture of its own (the ground, the character, the panel), and F6 must end
# the game with 0.
set -u
. "$(dirname "$0")/../support/xvfb.sh"
krx=$(cd "$(dirname "$1")" && pwd)/$(basename "$1"); out="$2"; data="$3"; check="$4"
shift 4
missions="${KRX_XVFB_MISSIONS:-${*:-$(seq 1 12)}}"
mkdir -p "$out"
out=$(cd "$out" && pwd)
# Each run writes its trace log where it runs: the headless ones apart.
link_data "$data" "$out/headless"
link_data "$data" "$out/game"
data="$out/game"
"$check" capture "$out/headless" "$out/system.png" 1 menu || { echo "no headless capture of the system menu"; exit 1; }
xvfb_start "$out"

matches() { "$check" compare "$1" "$2" 95 >/dev/null; }
system_menu() { matches "$out/system.png" "$1"; }
no_system_menu() { ! system_menu "$1"; }
lit_and_varied() {
  read -r mean dev < <(convert "$1" -colorspace gray -format '%[fx:mean] %[fx:standard_deviation]\n' info:)
  awk -v m="$mean" -v d="$dev" 'BEGIN { exit !(m > 0.05 && d > 0.03) }'
}

for n in $missions; do
  shot=$(printf '%s/mission%02d.png' "$out" "$n")
  # The headless start is drawn while the real program starts.
  "$check" capture "$out/headless" "$out/start$n.png" "$n" >"$out/capture$n.log" 2>&1 &
  capturing=$!
  start_game "$krx" "$data" "$out/game$n.log" KRX_MISSION=$n
  # Escape seen in two frames in a row skips both movies, and the mission
  # then loads and starts without the menus: a key let go in between races
  # the loading, one held on into play opens the system menu, the same
  # every time.
  xdotool mousemove 300 250
  hold Escape 60 "mission $n's system menu, Escape held from the movies on" seen "$shot" system_menu
  # Resume; the mouse rests off the panel once the menu has taken the click.
  xdotool mousemove 512 311 click 1
  until_shot 30 "mission $n's play after its system menu's resume" "$shot" no_system_menu
  xdotool mousemove 300 250
  wait "$capturing" || { cat "$out/capture$n.log"; fail "mission $n: no headless capture of its start"; }
  # The loading picture fades out over 3.5 s of play, then the view comes
  # to rest on the character.
  until_shot 60 "mission $n's start as the headless run draws it" "$shot" matches "$out/start$n.png"
  lit_and_varied "$shot" || fail "mission $n: the screen is dark or flat (mean $mean, deviation $dev)"
  hold F6 30 "the end of the program on F6 in mission $n" ended
  wait_exit "F6 in mission $n" "$out/game$n.log"
done
# Each start is the mission's own: no two starts are alike.
for a in $missions; do
  for b in $missions; do
    [ "$a" -lt "$b" ] && ! changed_in 800x600+0+0 10 "$out/start$a.png" "$out/start$b.png" &&
      fail "missions $a and $b start alike"
  done
done
echo "$(echo $missions | wc -w) mission starts shown and saved in $out"

#!/usr/bin/env bash
# Plays the real program on a virtual X server with synthetic input: the top
# menu, a new player ID, its save, the story and the briefing, the
# character and arms screens, the first mission with its panel, the system
# menu with its volume page, the mission won (F5) and the menus again with
# the save's progress 1. Screenshots are kept in the output folder
# (top.png, arms.png, mission.png, system.png, end.png, back.png) and must
# show a full, varied picture; the game must end with 0 on F6.
set -u
. "$(dirname "$0")/../support/xvfb.sh"
krx="$1"; out="$2"; data="$3"
mkdir -p "$out"
out=$(cd "$out" && pwd)
link_data "$data" "$out/game"
game_dir="$out/game"
xvfb_start "$out"

fail() { echo "$1"; cat "$out/game.log" 2>/dev/null; exit 1; }

# The 800 x 600 picture fills the 1024 x 768 screen: 1.28 screen pixels a
# game pixel.
at() { xdotool mousemove $(( $1 * 128 / 100 )) $(( $2 * 128 / 100 )); }
click() { at "$1" "$2"; sleep 0.4; xdotool mousedown 1; sleep 0.1; xdotool mouseup 1; sleep 0.4; }
key() { xdotool keydown "$1"; sleep 0.1; xdotool keyup "$1"; sleep 0.15; }
# A screenshot that must be a whole, lit, varied picture: at least the
# given number of colours (a full scene has many more than a plain page).
shot() {
  import -window root "$out/$1.png" || fail "screenshot $1 failed"
  local mean colours least="${2:-400}"
  mean=$(convert "$out/$1.png" -format '%[fx:mean]' info:)
  colours=$(convert "$out/$1.png" -format '%k' info:)
  awk -v m="$mean" 'BEGIN { exit !(m > 0.04) }' || fail "$1 is dark (mean $mean)"
  [ "$colours" -gt "$least" ] || fail "$1 has only $colours colours"
}
# The progress stored in a save: its first 32-bit field.
progress() { od -An -tu4 -N4 "$1" 2>/dev/null | tr -d ' '; }
# Waits up to the given seconds for a command to succeed.
within() {
  local limit=$(( $1 * 10 )); shift
  for _ in $(seq "$limit"); do "$@" && return 0; sleep 0.1; done
  return 1
}
saved_progress() { [ "$(progress "$1")" = "$2" ]; }

start_game "$krx" "$game_dir" "$out/game.log"
sleep 0.5

# Both movies skipped; the top menu.
xdotool keydown Escape; sleep 0.5; xdotool keyup Escape
at 300 250; sleep 1
shot top

# Single player; a new ID typed and entered; its slot; continue.
click 540 378
for k in k r x; do key "$k"; done
key Return
# A machine busy enough to see a key held past the field's repeat delay
# types a letter twice: the save is whichever the ID made.
new_save() { save=$(ls "$game_dir"/SAVE/*.SAV 2>/dev/null | head -n 1); [ -n "$save" ]; }
within 10 new_save || fail "no save for the new ID"
click 100 58
click 639 475
# The story, then the briefing, whose forward button stands above its box.
sleep 1; click 697 412
sleep 2; click 697 412
# The character screen: the third character, then forward.
sleep 1; click 205 42
sleep 1; click 697 412
# The arms screen once its pictures have slid in.
sleep 2
shot arms
click 697 412

# The first mission with its enemies and the panel, once the loading
# picture has faded.
sleep 5
at 400 300; sleep 0.5
shot mission

# The system menu and its volume page, the cursor resting on the page; then
# back to the mission.
xdotool keydown Escape; sleep 0.2; xdotool keyup Escape
sleep 0.5
click 400 273
at 620 204; sleep 1
shot system
click 400 243

# F5 wins the mission: the save is written at once and the end picture
# holds for ten seconds before the menus come back on the ID screen.
xdotool keydown F5; sleep 0.3; xdotool keyup F5
within 30 saved_progress "$save" 1 || fail "the save's progress is not 1 after the first mission"
sleep 1
shot end 100
sleep 13
shot back

xdotool keydown F6; sleep 0.3; xdotool keyup F6
wait_exit F6 "$out/game.log"
echo "top menu, arms screen, mission, system menu, end picture and menus shot in $out"

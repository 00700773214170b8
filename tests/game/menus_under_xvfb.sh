#!/usr/bin/env bash
# Plays the real program on a virtual X server with synthetic input: the top
# menu, a new player ID, its save, the story and the briefing, the
# character and arms screens, the first mission with its panel, the system
# menu with its volume page, the mission won (F5) and the menus again with
# the save's progress 1. Each step waits until the screen shows the step
# before it was taken. Screenshots are kept in the output folder (top.png,
# arms.png, mission.png, system.png, end.png, back.png) and must show a
# full, varied picture; the game must end with 0 on F6.
set -u
. "$(dirname "$0")/../support/xvfb.sh"
krx="$1"; out="$2"; data="$3"; check="$4"
mkdir -p "$out"
out=$(cd "$out" && pwd)
# Each run writes its trace log where it runs: the headless ones apart.
link_data "$data" "$out/headless"
link_data "$data" "$out/game"
game_dir="$out/game"
"$check" capture "$out/headless" "$out/top_capture.png" || { echo "no headless capture of the top menu"; exit 1; }
"$check" capture "$out/headless" "$out/mission_capture.png" 1 >"$out/capture.log" 2>&1 &
capturing=$!
xvfb_start "$out"

# The 800 x 600 picture fills the 1024 x 768 screen: 1.28 screen pixels a
# game pixel.
at() { xdotool mousemove $(( $1 * 128 / 100 )) $(( $2 * 128 / 100 )); }
# The screen as last seen: just before a click, the screen clicked.
last="$out/last.png"
# A click is kept for the next frame however short, but taken where the
# mouse is then: the mouse stays until the click is seen taken (taken, or
# on a screen that stands still, the screen the click leads to).
click() { at "$1" "$2"; shoot "$last" || fail "no screenshot"; xdotool mousedown 1 mouseup 1; }
# Two frames drawn after a screenshot taken after the click: the second
# began after the first was shown, with the click. The menus' scan line,
# falling glyphs and clock move all the time.
taken() {
  local i
  shoot "$out/frame.png" || fail "no screenshot"
  for i in 1 2; do
    until_shot 30 "a frame drawn after the click" "$out/now.png" changed 0 "$out/frame.png"
    mv "$out/now.png" "$out/frame.png"
  done
}
# Another screen: a tenth of the screen differs from the last one seen (a
# screen's own motion in the meantime is less).
new_screen() {
  until_shot 30 "$1" "$out/now.png" changed 10 "$last"
  mv "$out/now.png" "$last"
}
# The screen's name at its bottom right, where no screen puts a picture:
# the story and the briefing tell each other by it, as they change by
# themselves while their texts are typed. The ID, character and arms
# screens share one, over which a scan line passes (a fifth of it; another
# name is a third).
caption=128x24+870+732
renamed() {
  until_shot 30 "$1" "$out/now.png" changed_in "$caption" 10 "$last"
  mv "$out/now.png" "$last"
}
named_as_id() { ! changed_in "$caption" 25 "$out/id.png" "$1"; }
# Slides at rest: the next screenshot shows a frame drawn since and differs
# in less than a twentieth of the screen.
resting() { shoot "$out/next.png" && changed 0 "$1" "$out/next.png" && ! changed 5 "$1" "$out/next.png"; }
# Letters are read once a frame and repeat after 200 ms: a press covers
# several frames of a slow machine; a letter typed twice makes another ID.
key() { xdotool keydown "$1" sleep 0.2 keyup "$1"; }
# The last screen seen, kept as a picture that must be whole, lit and
# varied: at least the given number of colours (a full scene has many more
# than a plain page).
keep() {
  local mean colours least="${2:-400}"
  cp "$last" "$out/$1.png"
  mean=$(convert "$out/$1.png" -format '%[fx:mean]' info:)
  colours=$(convert "$out/$1.png" -format '%k' info:)
  awk -v m="$mean" 'BEGIN { exit !(m > 0.04) }' || fail "$1 is dark (mean $mean)"
  [ "$colours" -gt "$least" ] || fail "$1 has only $colours colours"
}
matches() { "$check" compare "$1" "$2" 95 >/dev/null; }
# The progress stored in a save: its first 32-bit field.
progress() { od -An -tu4 -N4 "$1" 2>/dev/null | tr -d ' '; }
saved_progress() { [ "$(progress "$1")" = "$2" ]; }
new_save() { save=$(ls "$game_dir"/SAVE/*.SAV 2>/dev/null | head -n 1); [ -n "$save" ]; }

start_game "$krx" "$game_dir" "$out/game.log"

# Both movies skipped; the top menu, which takes no Escape and stands
# still.
at 234 195
hold Escape 30 "the top menu after Escape" seen "$last" matches "$out/top_capture.png"
keep top

# Single player; the ID screen at rest, kept to know it again later; a new
# ID typed and entered (Enter makes the save at once); its slot; continue.
click 540 378
new_screen "the player-ID screen"
until_shot 30 "the player-ID screen's panels slid in" "$last" resting
cp "$last" "$out/id.png"
for k in k r x; do key "$k"; done
hold Return 30 "a save for the new ID" new_save
click 100 58
taken
click 639 475
taken
new_screen "the story"
click 697 412
taken
renamed "the briefing"
# Its forward button stands above its box.
click 697 412
taken
until_shot 30 "the character screen" "$last" named_as_id
until_shot 30 "the character screen's pictures slid in" "$last" resting
click 205 42
taken
new_screen "the third character"
until_shot 30 "the third character's pictures slid in" "$last" resting
click 697 412
taken
new_screen "the arms screen"
until_shot 30 "the arms screen's pictures slid in" "$last" resting
keep arms

# The first mission with its enemies and the panel, once the loading
# picture has faded and the view has come to rest: as the headless run
# draws it (another character, the mouse elsewhere: a few pixels).
click 697 412
taken
at 234 195
wait "$capturing" || { cat "$out/capture.log"; fail "no headless capture of the first mission"; }
until_shot 60 "the first mission as the headless run draws it" "$last" matches "$out/mission_capture.png"
keep mission

# The system menu and its volume page, the cursor resting on the page; then
# back to the mission. Both stand still.
hold Escape 30 "the system menu on Escape" seen "$out/now.png" changed 10 "$last"
mv "$out/now.png" "$last"
click 400 273
new_screen "the volume page"
at 620 204
until_shot 30 "the cursor on the volume page" "$out/now.png" changed_in 80x80+754+222 0 "$last"
mv "$out/now.png" "$last"
keep system
click 400 243
new_screen "the mission after the system menu"

# F5 wins the mission: the save is written at once and the end picture
# holds for ten seconds before the menus come back on the ID screen.
hold F5 30 "the save's progress 1 after the first mission" saved_progress "$save" 1
new_screen "the end picture"
keep end 100
back() { ! changed 10 "$out/id.png" "$1"; }
until_shot 60 "the ID screen after the end picture" "$last" back
keep back

hold F6 30 "the end of the program on F6" ended
wait_exit F6 "$out/game.log"
echo "top menu, arms screen, mission, system menu, end picture and menus shot in $out"

#!/usr/bin/env bash
# Starts the ground viewer on a virtual X server in the generated data set at
# a fixed view of a mission's ground until the screen shows that ground as
# the map draws it, then lets it glide until the screen moves, and ends it
# each time with F6; it must exit with 0.
set -u
. "$(dirname "$0")/../support/xvfb.sh"
view="$1"; out="$2"; data="$3"; check="$4"
mkdir -p "$out"
out=$(cd "$out" && pwd)
xvfb_start "$out"

run() {
  (cd "$data" && SDL_AUDIODRIVER=dummy exec "$view" "$@") >"$out/viewer.log" 2>&1 &
  game=$!
  find_window "KRX Ground" "$out/viewer.log"
}
end() {
  hold F6 30 "the end of the viewer on F6" ended
  wait_exit F6 "$out/viewer.log"
}
ground() { "$check" "$data" 2001 733 411 "$1" >/dev/null 2>&1; }

# 1. A still view of mission ground 2001.
run 2001 733 411
until_shot 30 "the ground on the screen as the map draws it" "$out/ground.png" ground
end

# 2. The view gliding over a battle map: a screenshot of the ground, then
# one that differs.
run 3008
until_shot 30 "the battle map's ground" "$out/glide1.png" lit
until_shot 30 "the view moving" "$out/glide2.png" changed 0 "$out/glide1.png"
end
echo "the ground shows as drawn, scrolls, and F6 ends the viewer with 0"

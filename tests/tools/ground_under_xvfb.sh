#!/usr/bin/env bash
# Starts the ground viewer on a virtual X server in the generated data set at
# a fixed view of a mission's ground, takes a screenshot that must show that
# ground as the map draws it, then lets it glide for a moment and ends it
# with F6; it must exit with 0.
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
  sleep 1
}
end() {
  xdotool keydown F6; sleep 0.3; xdotool keyup F6
  wait_exit F6 "$out/viewer.log"
}

# 1. A still view of mission ground 2001.
run 2001 733 411
import -window root "$out/ground.png" || { echo "screenshot failed"; exit 1; }
end
"$check" "$data" 2001 733 411 "$out/ground.png" || { echo "the screen does not show the ground"; exit 1; }

# 2. The view gliding over a battle map: two screenshots a moment apart differ.
run 3008
import -window root "$out/glide1.png"
sleep 0.5
import -window root "$out/glide2.png"
end
if cmp -s "$out/glide1.png" "$out/glide2.png"; then echo "the view did not move"; exit 1; fi
echo "the ground shows as drawn, scrolls, and F6 ends the viewer with 0"

#!/usr/bin/env bash
# Starts the ground viewer on a virtual X server in the generated data set at
# a fixed view of a mission's ground, takes a screenshot that must show that
# ground as the map draws it, then lets it glide for a moment and ends it
# with F6; it must exit with 0.
set -u
view="$1"; out="$2"; data="$3"; check="$4"
mkdir -p "$out"
out=$(cd "$out" && pwd)

display=":$((90 + RANDOM % 400))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >"$out/xvfb.log" 2>&1 &
xvfb=$!
viewer=""
trap 'kill $xvfb 2>/dev/null; [ -n "$viewer" ] && kill $viewer 2>/dev/null' EXIT
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

run() {
  (cd "$data" && SDL_AUDIODRIVER=dummy exec "$view" "$@") >"$out/viewer.log" 2>&1 &
  viewer=$!
  win=""
  for _ in $(seq 100); do
    win=$(xdotool search --name '^KRX Ground$' 2>/dev/null | head -n 1)
    [ -n "$win" ] && break
    sleep 0.1
  done
  if [ -z "$win" ]; then echo "no window titled 'KRX Ground' appeared"; cat "$out/viewer.log"; exit 1; fi
  xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win"
  sleep 1
}

end() {
  xdotool keydown F6; sleep 0.3; xdotool keyup F6
  for _ in $(seq 100); do kill -0 "$viewer" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$viewer" 2>/dev/null; then echo "the viewer did not end"; exit 1; fi
  wait "$viewer"; local rc=$?
  viewer=""
  if [ "$rc" != 0 ]; then echo "exit code $rc"; cat "$out/viewer.log"; exit 1; fi
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

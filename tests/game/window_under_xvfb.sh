#!/usr/bin/env bash
# Starts the game on a virtual X server in a folder linked to the generated
# data set, finds its window by title, sees the tour movie on the screen,
# skips both movies with Escape, holds F7 and takes a screenshot that must
# match the headless capture of the same frame, then ends it once with F6 and
# once with a terminate request; both must exit with 0. Without a display it
# can reach, or once its display is gone, it must end at once with 1, not
# play on unseen or hang.
set -u
. "$(dirname "$0")/../support/xvfb.sh"
krx="$1"; out="$2"; data="$3"; check="$4"
mkdir -p "$out"
out=$(cd "$out" && pwd)
# The game writes its trace log where it runs: not into the data set.
link_data "$data" "$out/game"
data="$out/game"
xvfb_start "$out"

launch() {
  start_game "$krx" "$data" "$out/game.log"
  sleep 0.5
}
wait_end() { wait_exit "$1" "$out/game.log"; }

# 1. The tour movie, Escape, the frame, and F6.
launch
import -window root "$out/movie.png" || { echo "screenshot failed"; exit 1; }
lit=$(convert "$out/movie.png" -format '%[fx:mean>0.02]' info:)
[ "$lit" = 1 ] || { echo "no movie on the screen"; exit 1; }
xdotool keydown Escape; sleep 0.5; xdotool keyup Escape
xdotool mousemove 512 384
xdotool keydown F7
# A busy machine may still be leaving the movies: a few tries, a second apart.
same=0
for _ in 1 2 3 4 5; do
  sleep 1
  import -window root "$out/screenshot.png" || { echo "screenshot failed"; exit 1; }
  if "$check" "$data" "$out/screenshot.png" "$out/capture.png"; then same=1; break; fi
done
xdotool keyup F7
[ "$same" = 1 ] || { echo "the screen differs from the headless frame"; exit 1; }
xdotool keydown F6; sleep 0.3; xdotool keyup F6
wait_end F6

# 2. A terminate request.
launch
kill -TERM "$game"
wait_end SIGTERM

# 3. No display to reach.
(cd "$data" && DISPLAY=:9999 WAYLAND_DISPLAY= SDL_AUDIODRIVER=dummy timeout 20 "$krx") >"$out/nodisplay.log" 2>&1
rc=$?
[ "$rc" = 1 ] || { echo "exit code $rc without a display"; cat "$out/nodisplay.log"; exit 1; }

# 4. The display goes away under it (the server's last act).
launch
kill "$xvfb"
for _ in $(seq 50); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$game" 2>/dev/null; then echo "the program did not end when its display went away"; exit 1; fi
wait "$game"; rc=$?; game=""
[ "$rc" = 1 ] || { echo "exit code $rc when the display went away"; cat "$out/game.log"; exit 1; }
echo "window found, frame matches the headless capture, F6 and SIGTERM end it with 0, no display or a lost one ends it with 1"

#!/usr/bin/env bash
# Starts the game on a virtual X server in a folder linked to the generated
# data set, finds its window by title, sees a movie on the screen,
# skips both movies with Escape and sees the top menu as the headless run
# draws it, holds F7 until the screen shows the overlay of the headless
# capture, then ends it once with F6 and once with a terminate request; both
# must exit with 0. Without a display it can reach, or once its display is
# gone, it must end with 1, not play on unseen or hang.
set -u
. "$(dirname "$0")/../support/xvfb.sh"
krx="$1"; out="$2"; data="$3"; check="$4"
mkdir -p "$out"
out=$(cd "$out" && pwd)
# The game writes its trace log where it runs: not into the data set.
link_data "$data" "$out/game"
data="$out/game"
"$check" capture "$data" "$out/capture.png" || { echo "no headless capture of the top menu"; exit 1; }
xvfb_start "$out"

# A movie: a lit picture that moves. The top menu that follows the movies
# stands still, so a movie that never reaches the window is not mistaken
# for it. A starved machine takes seconds to look at a picture, longer than
# the movies last: from the launch on the screen is copied every fifth of a
# second, and copies in a row that differ at all are kept in pairs, a few at
# a time, to be looked at in turn however long that takes.
record() {
  local i=0
  grab "$out/rec.prev.xwd"
  while kill -0 $$ 2>/dev/null; do
    sleep 0.2
    grab "$out/rec.next.xwd" || continue
    if [ ! -e "$out/pair.$((i - 8)).b.xwd" ] && ! cmp -s "$out/rec.prev.xwd" "$out/rec.next.xwd"; then
      # The second of a pair last: a pair is whole once it is there.
      cp "$out/rec.prev.xwd" "$out/pair.$i.a.xwd"
      cp "$out/rec.next.xwd" "$out/pair.$i.tmp.xwd" && mv "$out/pair.$i.tmp.xwd" "$out/pair.$i.b.xwd"
      i=$((i + 1))
    fi
    mv "$out/rec.next.xwd" "$out/rec.prev.xwd"
  done
}
movie() {
  local a b
  while b="$out/pair.$looked.b.xwd"; [ -e "$b" ]; do
    a="$out/pair.$looked.a.xwd"
    lit "xwd:$a" && lit "xwd:$b" && changed 10 "xwd:$a" "xwd:$b" && return 0
    rm -f "$a" "$b"
    looked=$((looked + 1))
  done
  return 1
}
launch() {
  rm -f "$out"/pair.*.xwd
  looked=0
  record &
  recorder=$!
  start_game "$krx" "$data" "$out/game.log"
  wait_for 30 "a movie on the screen" movie
  kill "$recorder"
  wait "$recorder" 2>/dev/null
  rm -f "$out"/pair.*.xwd "$out"/rec.*.xwd
}
# The whole picture is the menu (the overlay's labels are a small part of
# it); the labels must be the capture's too.
top_menu() { "$check" compare "$out/capture.png" "$1" 95 >/dev/null; }
overlay() { top_menu "$1" && "$check" compare "$out/capture.png" "$1" 95 20 20 78 58 >/dev/null; }

# 1. A movie, Escape, the frame, and F6.
launch
# Escape in two frames in a row skips both movies; the top menu takes no
# Escape, so a key held on past the movies leaves the game there.
xdotool mousemove 300 250
hold Escape 30 "the top menu after Escape" seen "$out/menu.png" top_menu
hold F7 30 "the headless frame's overlay" seen "$out/screenshot.png" overlay
hold F6 30 "the end of the program on F6" ended
wait_exit F6 "$out/game.log"

# 2. A terminate request.
launch
kill -TERM "$game"
wait_exit SIGTERM "$out/game.log"

# 3. No display to reach.
(cd "$data" && DISPLAY=:9999 WAYLAND_DISPLAY= SDL_AUDIODRIVER=dummy timeout 60 "$krx") >"$out/nodisplay.log" 2>&1
rc=$?
[ "$rc" = 1 ] || { echo "exit code $rc without a display"; cat "$out/nodisplay.log"; exit 1; }

# 4. The display goes away under it (the server's last act).
launch
kill "$xvfb"
wait_for 60 "the end of the program once its display was gone" ended
wait "$game"; rc=$?; game=""
[ "$rc" = 1 ] || fail "exit code $rc when the display went away"
echo "window found, movie shown, frame matches the headless capture, F6 and SIGTERM end it with 0, no display or a lost one ends it with 1"

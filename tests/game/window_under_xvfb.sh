#!/usr/bin/env bash
# Starts the game on a virtual X server, finds its window by title, takes a
# screenshot, asks the window to close, and checks that the program ends with 0.
set -u
krx="$1"
out="$2"
mkdir -p "$out"
cd "$out"

display=":$((90 + RANDOM % 400))"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >xvfb.log 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; kill $game 2>/dev/null' EXIT
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

SDL_AUDIODRIVER=dummy "$krx" >game.log 2>&1 &
game=$!

win=""
for _ in $(seq 100); do
  win=$(xdotool search --name '^KRX Project$' 2>/dev/null | head -n 1)
  [ -n "$win" ] && break
  sleep 0.1
done
if [ -z "$win" ]; then
  echo "no window titled 'KRX Project' appeared"; cat game.log; exit 1
fi
sleep 0.5
import -window root screenshot.png || { echo "screenshot failed"; exit 1; }

# The window manager's close: WM_DELETE_WINDOW through xdotool when it can,
# else the terminate signal, which the game treats the same way.
if xdotool help 2>&1 | grep -q windowquit; then
  xdotool windowquit "$win"
else
  kill -TERM "$game"
fi
for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$game" 2>/dev/null; then echo "the game did not end"; exit 1; fi
wait "$game"; rc=$?
if [ "$rc" != 0 ]; then echo "exit code $rc"; cat game.log; exit 1; fi
echo "window found, screenshot taken, closed with exit code 0"

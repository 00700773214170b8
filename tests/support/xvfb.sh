# Sourced by the tests that drive a real window on a virtual X server.
#
# xvfb_start <out>        starts a server on a display it picks itself (other
#                         tests run their own), exports DISPLAY and, on exit,
#                         stops the server and the program in $game
# link_data <data> <dir>  a folder for a run: the data set's folders linked,
#                         SAVE a folder of the run's own, the trace log there
# start_game <program> <dir> <log> [VAR=value...]
#                         starts the program in <dir> with the variables and
#                         no sound device as $game, and waits for its window
#                         (find_window); a program that could not reach the
#                         server is started once more
# find_window <title> <log>
#                         waits for the window of the program in $game and
#                         gives it the focus; a window that never comes ends
#                         the test with the program's output
# wait_exit <what> <log>  waits for $game to end and wants exit code 0

game=""

xvfb_start() {
  local out="$1"
  rm -f "$out/display"
  # Without -noreset the server starts afresh whenever its last client
  # leaves, and a program connecting meanwhile is turned away or cut off.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$out/display" >"$out/xvfb.log" 2>&1 &
  xvfb=$!
  trap '[ -n "$game" ] && kill $game 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
  for _ in $(seq 100); do [ -s "$out/display" ] && break; sleep 0.1; done
  [ -s "$out/display" ] || { echo "Xvfb gave no display"; cat "$out/xvfb.log"; exit 1; }
  export DISPLAY=":$(head -n 1 "$out/display")"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
}

link_data() {
  local data="$1" dir="$2" d name
  rm -rf "$dir"; mkdir -p "$dir"
  for d in "$data"/*/; do
    name=$(basename "$d")
    if [ "$name" = SAVE ]; then mkdir "$dir/SAVE"; else ln -s "$(cd "$d" && pwd)" "$dir/$name"; fi
  done
}

start_game() {
  local program="$1" dir="$2" log="$3" try
  shift 3
  for try in 1 2; do
    (cd "$dir" && exec env SDL_AUDIODRIVER=dummy "$@" "$program") >"$log" 2>&1 &
    game=$!
    unreached=$([ "$try" = 1 ] && echo "no display can be reached")
    find_window "KRX Project" "$log" && return 0
    sleep 1
  done
}

find_window() {
  local title="$1" log="$2" rc
  win=""
  # A machine busy with the other configurations' builds and tests may take
  # a while; a program that ended is told at once.
  for _ in $(seq 600); do
    # Once mapped: a window that is not yet cannot take the focus.
    win=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1)
    [ -n "$win" ] && break
    if ! kill -0 "$game" 2>/dev/null; then
      wait "$game"; rc=$?; game=""
      if [ -n "${unreached:-}" ] && grep -q "$unreached" "$log"; then return 1; fi
      echo "the program ended with $rc before its window appeared"; cat "$log"; exit 1
    fi
    sleep 0.1
  done
  if [ -z "$win" ]; then
    echo "no window titled '$title' appeared"; cat "$log"
    # Where it waits, when it waits for ever.
    command -v gdb >/dev/null && gdb -batch -p "$game" -ex "thread apply all bt 12" 2>/dev/null | grep -E '^(Thread|#)'
    exit 1
  fi
  # Without the focus the keys still reach the window under the pointer.
  xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win" 2>/dev/null
  return 0
}

wait_exit() {
  local what="$1" log="$2" rc
  for _ in $(seq 100); do kill -0 "$game" 2>/dev/null || break; sleep 0.1; done
  if kill -0 "$game" 2>/dev/null; then echo "the program did not end ($what)"; exit 1; fi
  wait "$game"; rc=$?
  game=""
  if [ "$rc" != 0 ]; then echo "exit code $rc after $what"; cat "$log"; exit 1; fi
}

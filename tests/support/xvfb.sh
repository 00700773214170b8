# Sourced by the tests that drive a real window on a virtual X server.
#
# Nothing here waits a fixed time for the program: each wait watches for what
# it waits for (a screenshot showing it, a file, the process's end), a
# quarter of a second apart (a look, a screenshot and its comparison, keeps
# a core busy while it runs: closer looks would take a core of their own),
# and gives up, naming what never came, when the program has ended, or has
# done no work for the wait's limit (it hangs, or is stopped), or has worked
# for `patience` seconds of the processor without showing it. Its work is the
# processor time of its threads but the sound device's, which mixes every few
# milliseconds whatever the rest does; not its screen, which stands still on
# a menu, nor its trace log, which grows only in play. A busy machine gives
# the program less of the processor, never none: it makes the program slower,
# not wrong, and stretches the waits as much. Without a program a wait gives
# up after its limit.
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
#                         gives it the focus
# fail <message>          ends the test with the message and the program's
#                         output
# wait_for <seconds> <what> <command...>
#                         runs the command until it succeeds; a program in
#                         $game that ends meanwhile ends the test at once,
#                         one that does no work for the seconds ends it then
# until_shot <seconds> <what> <file> <command...>
#                         takes screenshots into <file> until the command,
#                         given the file as its last argument, succeeds
# seen <file> <command...>
#                         one screenshot into <file> and the command on it
# hold <key> <seconds> <what> <command...>
#                         holds the key down until the command succeeds: the
#                         program reads keys once a frame and a press that
#                         ends between two of its frames is never seen
# shoot <file>            a screenshot of the whole screen
# lit <file>              a screenshot that is not black
# changed <share %> <before> <file>
#                         more than that share of the screen's pixels
#                         differ; 0 for any difference at all
# changed_in <width>x<height>+<x>+<y> <share %> <before> <file>
#                         the same in a part of the screen
# ended                   the program in $game has ended
# wait_exit <what> <log>  waits for $game to end and wants exit code 0

game=""
game_log=""
# The processor time a wait lets the program spend without showing what is
# waited for: a program that draws on but never gets there (on the menus,
# where it was measured to keep three fifths of a core busy, five minutes).
patience=180

xvfb_start() {
  local out="$1"
  rm -f "$out/display"
  # Without -noreset the server starts afresh whenever its last client
  # leaves, and a program connecting meanwhile is turned away or cut off.
  # The screen is also a file (grab): a copy of it is a picture taken at
  # once, however busy the machine that has to make something of it after.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset -fbdir "$out" 3>"$out/display" >"$out/xvfb.log" 2>&1 &
  screen_file="$out/Xvfb_screen0"
  xvfb=$!
  trap '[ -n "$game" ] && kill $game 2>/dev/null; kill $xvfb 2>/dev/null' EXIT
  game_log="$out/xvfb.log"
  wait_for 60 "a display from Xvfb" test -s "$out/display"
  export DISPLAY=":$(head -n 1 "$out/display")"
  wait_for 60 "an answer from the display $DISPLAY" answers
}

answers() { xdpyinfo >/dev/null 2>&1; }

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
    # The virtual server's GL renders on the processor: one thread of it
    # does a frame's scaling without eight keeping each other waiting.
    (cd "$dir" && exec env SDL_AUDIODRIVER=dummy LP_NUM_THREADS=1 "$@" "$program") >"$log" 2>&1 &
    game=$!
    unreached=$([ "$try" = 1 ] && echo "no display can be reached")
    find_window "KRX Project" "$log" && return 0
    wait_for 60 "an answer from the display $DISPLAY" answers
  done
}

find_window() {
  local title="$1" log="$2" rc
  waiting 60
  game_log="$log"
  win=""
  # Once mapped: a window that is not yet cannot take the focus.
  until win=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1); [ -n "$win" ]; do
    if ended; then
      wait "$game"; rc=$?; game=""
      if [ -n "${unreached:-}" ] && grep -q "$unreached" "$log"; then return 1; fi
      fail "the program ended with $rc before its window appeared"
    fi
    overdue "a window titled '$title'"
    sleep 0.1
  done
  # Without the focus the keys still reach the window under the pointer.
  xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win" 2>/dev/null
  return 0
}

fail() {
  echo "$1"
  [ -s "$game_log" ] && { echo "--- $game_log:"; cat "$game_log"; }
  # Where a program that is still running waits.
  if [ -n "$game" ] && ! ended && command -v gdb >/dev/null; then
    gdb -batch -p "$game" -ex "thread apply all bt 12" 2>/dev/null | grep -E '^(Thread|#)'
  fi
  exit 1
}

wait_for() {
  local what="$2" rc
  waiting "$1"
  shift 2
  until "$@"; do
    if [ -n "$game" ] && ended; then
      # What was waited for may have come just before the end.
      "$@" && return 0
      wait "$game"; rc=$?; game=""
      fail "the program ended with $rc before $what"
    fi
    overdue "$what"
    sleep 0.25
  done
}

# A wait begins: its limit, its start, and the program's work so far.
waiting() {
  limit="$1"
  uptime_now; since=$now
  work=$(worked); began=$work
  uptime_now; busy=$now
}

# Ends the test if what is waited for is overdue: without a program once the
# limit has passed; with one once it has done no work for the limit, or
# has worked for the patience without showing it.
overdue() {
  local w
  uptime_now
  if [ -z "$game" ]; then
    [ $((now - since)) -lt "$limit" ] || fail "$1: not seen in $limit s"
    return 0
  fi
  w=$(worked)
  # The time of a look is taken before it, that of the last work seen
  # after it: the time without work is never more than the program had.
  if [ "$w" != "$work" ]; then work=$w; uptime_now; busy=$now; fi
  [ $((now - busy)) -lt "$limit" ] || fail "$1: not seen, and the program has done no work for $((now - busy)) s"
  [ $(((w - began) / 100)) -lt "$patience" ] ||
    fail "$1: not seen in $((now - since)) s, in which the program worked $patience s of the processor"
}

# The processor time of the program's threads but the sound device's (SDL
# names it SDLAudio...), in hundredths of a second: the fields after the
# name, which may hold spaces, are the state first, the user and system
# times 12th and 13th.
worked() {
  cat /proc/"$game"/task/*/stat 2>/dev/null |
    awk '!/^[0-9]+ \(SDLAudio/ { sub(/^.*\) /, ""); t += $12 + $13 } END { print t + 0 }'
}

until_shot() {
  local limit="$1" what="$2"
  shift 2
  wait_for "$limit" "$what" seen "$@"
}

seen() {
  local file="$1"
  shift
  shoot "$file" && "$@" "$file"
}

hold() {
  local key="$1"
  shift
  xdotool keydown "$key"
  wait_for "$@"
  xdotool keyup "$key"
}

shoot() { import -window root -define png:compression-level=1 "$1" 2>/dev/null; }
grab() { cp "$screen_file" "$1" 2>/dev/null; }

lit() { [ "$(convert "$1" -format '%[fx:mean>0.02]' info:)" = 1 ]; }

changed() { changed_in 1024x768+0+0 "$@"; }

changed_in() {
  local area="$1" share="$2" before="$3" file="$4" n size=${1%%+*}
  n=$(compare -metric AE -fuzz 6% -extract "$area" "$before" "$file" null: 2>&1) || true
  awk -v n="$n" -v s="$share" -v w="${size%x*}" -v h="${size#*x}" 'BEGIN { exit !(n + 0 > s * w * h / 100) }'
}

ended() { ! kill -0 "$game" 2>/dev/null; }

# The whole seconds since the machine started, into $now: the limits count
# them rather than the time of day, which a time server or a virtual
# machine's resume can set forward by more than a limit.
uptime_now() {
  local up _
  read -r up _ < /proc/uptime
  now=${up%.*}
}

wait_exit() {
  local what="$1" rc
  waiting 60
  game_log="$2"
  until ended; do
    overdue "the end of the program ($what)"
    sleep 0.1
  done
  wait "$game"; rc=$?
  game=""
  [ "$rc" = 0 ] || fail "exit code $rc after $what"
}

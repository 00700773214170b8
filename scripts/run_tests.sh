#!/usr/bin/env bash
# The tests of one build folder, in two parts side by side:
#
#   run_tests.sh <build folder> <nice> <cores>
#
# - The cases labelled `timed` (they play in real time, or wait on the
#   network or a device, and hold a pace, a gap or a latency to a bound) run
#   at the machine's normal priority, each holding of the `cpu` resource the
#   share of a core its processes were measured to keep busy (krx_tests'
#   TIMED), within <cores> cores: the timed cases of all the configurations
#   `make test` runs together never hold more cores than the machine has.
# - Every other case runs at the lower priority <nice> (a nice value, as the
#   builds do), as many at once as the machine has cores: it takes the time
#   the timed cases leave, and never keeps one of them waiting.
#
# Each part's output is shown whole once both are done; the status is the
# worse of the two. KRX_SHARED_TESTDATA passes on to both.
set -u
dir="$1" nice="$2" cores="$3"
cd "$dir"
printf '{"version": {"major": 1, "minor": 0}, "local": [{"cpu": [{"id": "0", "slots": %d}]}]}\n' \
  $((cores * 100)) > timed_cores.json
# The data set's link first, which both parts' cases wait for: made by the
# two at once, one would find the other's in its way.
ctest -R '^datagen$' > /dev/null 2>&1
# Timed cases mostly wait: the resource, not the count, bounds them.
ctest --output-on-failure --no-tests=ignore -L timed --resource-spec-file timed_cores.json \
  -j $((cores * 10)) > timed_tests.log 2>&1 &
timed=$!
nice -n "$nice" ctest --output-on-failure --no-tests=error -LE timed -j "$(nproc)" > other_tests.log 2>&1
other=$?
wait "$timed"
timed=$?
echo "== $dir: every case but the timed ones"
cat other_tests.log
echo "== $dir: the timed cases"
cat timed_tests.log
[ "$other" = 0 ] && [ "$timed" = 0 ]

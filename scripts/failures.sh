#!/usr/bin/env bash
# What failed in each build folder's last run of the tests, once more at the
# end of `make test`'s output, where a reader who sees only its tail looks:
#
#   failures.sh <build folder>...
#
# Each failed case's name and its assertions' messages (the whole output is
# above, in its configuration's part). A folder with no logs did not get as
# far as its tests: its build's errors are above.
set -u
echo "== what failed"
for dir in "$@"; do
  logs=()
  for log in "$dir/other_tests.log" "$dir/timed_tests.log"; do [ -f "$log" ] && logs+=("$log"); done
  if [ ${#logs[@]} = 0 ]; then
    echo "$dir: no tests ran (its build failed?)"
    continue
  fi
  for log in "${logs[@]}"; do
    failed=$(sed -n '/^The following tests FAILED:/,/^[^\t]/p' "$log" | grep -P '^\t')
    [ -n "$failed" ] || continue
    echo "$log:"
    echo "$failed"
    # The assertions' own words, a few lines each, at most 80 lines a log.
    grep -A6 -E ': Failure$|^\[  FAILED  \]|Sanitizer|runtime error' "$log" | head -80
  done
done

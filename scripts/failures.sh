#!/usr/bin/env bash
# What failed in each build folder's last run of the tests, once more at the
# end of `make test`'s output, where a reader who sees only its tail looks:
#
#   failures.sh <build folder>...
#
# The first assertions' messages of each log, then every failed case's name,
# the names last. The whole output is above, in its configuration's part. A
# folder with no logs did not get as far as its tests: its build's errors
# are above.
set -u
echo "== what failed"
names=()
for dir in "$@"; do
  logs=()
  for log in "$dir/other_tests.log" "$dir/timed_tests.log"; do [ -f "$log" ] && logs+=("$log"); done
  if [ ${#logs[@]} = 0 ]; then
    names+=("$dir: no tests ran (its build failed?)")
    continue
  fi
  for log in "${logs[@]}"; do
    failed=$(sed -n '/^The following tests FAILED:/,/^[^\t]/p' "$log" | grep -P '^\t' | sed 's/^\t *//')
    [ -n "$failed" ] || continue
    echo "$log:"
    grep -A2 -E ': Failure$|ERROR: [A-Za-z]*Sanitizer|runtime error' "$log" | cut -c1-300 | head -12
    while IFS= read -r line; do names+=("$dir: $line"); done <<< "$failed"
  done
done
printf '%s\n' "${names[@]}"

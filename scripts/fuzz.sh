#!/usr/bin/env bash
# The fuzz targets' two uses.
#
#   fuzz.sh replay <program> <corpus> <scratch> <max_len> <runs>
#     What the suite runs: every input of the committed corpus, then <runs>
#     inputs mutated from seed 1. The scratch folder (new inputs in new/, a
#     failing input) starts empty, so no earlier run changes what this one
#     does.
#
#   fuzz.sh explore <build folder> <runs> [<name pattern>]
#     What `make fuzz` runs: each target of the build (or those whose name
#     matches the pattern) for <runs> inputs from a fresh seed. What it finds
#     interesting stays in <build>/fuzz/<name>/corpus for the next
#     exploration; a failing input is written as <build>/fuzz/<name>/crash-*
#     (or leak-*, timeout-*, oom-*). A target whose corpus has a file
#     `seeds` beside it (one pattern of data set files a line, e.g.
#     map/*.BUD) starts from those files of the data set as well, generated
#     once into <build>/fuzz/data.
set -euo pipefail

mode=${1:-}
case $mode in
replay)
  [ $# -eq 6 ] || { echo "usage: $0 replay <program> <corpus> <scratch> <max_len> <runs>" >&2; exit 2; }
  prog=$2 corpus=$3 scratch=$4 max_len=$5 runs=$6
  rm -rf "$scratch"
  mkdir -p "$scratch/new"
  # A run from a fixed seed repeats itself only if nothing it does depends on
  # the time or on addresses, so this one turns off what does:
  # - the corpus read again and the allocator purged on a timer, the memory
  #   watch thread, and the leak check after each input (it runs an input
  #   again depending on the allocator's state); leaks are still reported
  #   when the run ends;
  # - the dictionary of compared values: it picks up heap addresses;
  # - address randomisation: addresses change what is covered (the
  #   sanitizer's type-check cache is keyed by them).
  # The program sees the same arguments and environment from any checkout,
  # so that its stack and heap lie where they lay in any other.
  fixed=()
  if setarch "$(uname -m)" -R true 2>/dev/null; then
    fixed=(setarch "$(uname -m)" -R)
  else
    echo "warning: address randomisation cannot be turned off; this run may differ from the next" >&2
  fi
  keep=()
  for v in ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS ASAN_SYMBOLIZER_PATH; do
    if [ -n "${!v:-}" ]; then keep+=("$v=${!v}"); fi
  done
  ln -s "$prog" "$scratch/target"
  ln -s "$corpus" "$scratch/corpus"
  cd "$scratch"
  exec env -i PATH=/usr/bin:/bin "${keep[@]}" "${fixed[@]}" ./target -seed=1 -runs="$runs" -use_cmp=0 -reload=0 \
    -purge_allocator_interval=-1 -max_len="$max_len" -rss_limit_mb=0 -malloc_limit_mb=2048 -detect_leaks=0 -artifact_prefix=./ new corpus </dev/null
  ;;
explore)
  [ $# -ge 3 ] || { echo "usage: $0 explore <build folder> <runs> [<name pattern>]" >&2; exit 2; }
  build=$(cd "$2" && pwd) runs=$3 pattern=${4:-}
  list=$build/fuzz_targets.txt
  [ -s "$list" ] || { echo "no fuzz targets listed in $list (a clang sanitizer build has them)" >&2; exit 2; }
  failed=()
  while read -r name prog corpus max_len; do
    [ -n "$name" ] || continue
    if [ -n "$pattern" ] && ! [[ $name =~ $pattern ]]; then continue; fi
    work=$build/fuzz/$name
    mkdir -p "$work/corpus"
    dirs=("$work/corpus" "$corpus")
    if [ -f "$corpus/../seeds" ]; then
      data=$build/fuzz/data
      if [ ! -f "$data.done" ]; then
        "$build/tools/krx_datagen" "$data" >/dev/null && touch "$data.done"
      fi
      mkdir -p "$work/seeds"
      while read -r glob; do
        [ -n "$glob" ] || continue
        # shellcheck disable=SC2086 # the pattern is meant to expand
        for f in "$data"/$glob; do
          if [ -f "$f" ]; then cp "$f" "$work/seeds/"; fi
        done
      done <"$corpus/../seeds"
      dirs+=("$work/seeds")
    fi
    echo "== $name: $runs inputs"
    if ! "$prog" -runs="$runs" -max_len="$max_len" -rss_limit_mb=2048 \
        -artifact_prefix="$work/" "${dirs[@]}" </dev/null; then
      failed+=("$name")
    fi
  done <"$list"
  if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzzing found faults in: ${failed[*]} (failing inputs in $build/fuzz/<name>/)" >&2
    exit 1
  fi
  echo "fuzzing found nothing"
  ;;
*)
  echo "usage: $0 replay|explore ..." >&2
  exit 2
  ;;
esac

#!/usr/bin/env bash
# The data set a build folder's tests read, in <folder>: made there by
# <generator>, or, when KRX_SHARED_TESTDATA names a data set already made
# for this run (`make test` makes one for all its configurations), a link
# to that one.
#   testdata.sh <generator> <folder>
set -euo pipefail
generator="$1"
out="$2"
shared="${KRX_SHARED_TESTDATA:-}"
if [ -n "$shared" ]; then
  if [ ! -d "$shared" ]; then
    echo "KRX_SHARED_TESTDATA=$shared is not a folder"
    exit 1
  fi
  shared=$(realpath "$shared")
  [ "$shared" = "$(realpath -m "$out")" ] && exit 0
  rm -rf "$out"
  ln -s "$shared" "$out"
  exit 0
fi
# A link a shared run left is replaced, never written through.
if [ -L "$out" ]; then rm "$out"; fi
if [ ! -x "$generator" ]; then
  echo "the generator is not built: cmake --build $(dirname "$(dirname "$generator")") --target krx_datagen"
  exit 1
fi
exec "$generator" "$out"

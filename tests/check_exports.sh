#!/bin/sh
# Checks that the plug-in library defines exactly its four exports.
set -eu
got=$(nm -D --defined-only "$1" | awk '{print $3}' | sort | tr '\n' ' ')
want="LibClassDescription LibName LibNumberClasses LibVersion "
if [ "$got" != "$want" ]; then
  echo "exported: $got"
  echo "expected: $want"
  exit 1
fi
echo "exports: $got"

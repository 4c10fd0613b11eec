#!/usr/bin/env bash
# Speed and memory figures of the reader and the plug-in on grid scenes:
# 300 x 300 and 1000 x 1000 vertices, as one mesh2 and as smooth_triangle
# objects. Files go to a temporary folder, removed afterwards. When POV-Ray
# is installed, it parses the same mesh2 file for comparison. Compiled
# function { } bodies are timed beside C++ lambdas of the same expressions.
# Usage: bench/run.sh [BUILD_BIN] (default build/release/bin)
set -euo pipefail
cd "$(dirname "$0")/.."
bin=${1:-build/release/bin}
dir=$(mktemp -d /tmp/tarvo-bench-XXXXXX)
trap 'rm -rf "$dir"' EXIT

echo "# machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | xargs)"
for n in 300 1000; do
  "$bin/gen_grid" "$n" mesh2 "$dir/mesh2_$n.pov" >/dev/null
  "$bin/gen_grid" "$n" smooth "$dir/smooth_$n.pov" >/dev/null
done
sync  # the files' write-back would otherwise run during the first timings

echo "## ImportFile through the plug-in (progress on, no window; peak = process peak RSS)"
"$bin/import_bench" "$dir/mesh2_300.pov" 15
"$bin/import_bench" "$dir/mesh2_300.pov" 7 --log
"$bin/import_bench" "$dir/smooth_300.pov" 9
"$bin/import_bench" "$dir/smooth_300.pov" 5 --log
"$bin/import_bench" "$dir/mesh2_1000.pov" 3
"$bin/import_bench" "$dir/smooth_1000.pov" 3

echo "## ImportFile in the POV-Ray-syntax mode beside the documented one (interleaved, 3 rounds)"
for f in mesh2_300 smooth_300; do
  for i in 1 2 3; do
    "$bin/import_bench" "$dir/$f.pov" 9
    "$bin/import_bench" "$dir/$f.pov" 9 --povray
  done
done
"$bin/import_bench" "$dir/mesh2_1000.pov" 3 --povray

if command -v hyperfine >/dev/null; then
  # One hyperfine run for every start-up figure, so that they are side by
  # side on one machine state. fast_obj reads the same grid as OBJ: built
  # from its header when FAST_OBJ_HEADER names a copy, else its time in ms
  # may be given as FAST_OBJ_MS.
  echo "## Start-up, whole process (hyperfine, one run)"
  # The documented grammar, as the figures of bench/README.md were taken
  # (korvan import reads in POV-Ray's syntax unless told).
  startup=(/bin/true "$bin/korvan --version"
           "$bin/korvan import examples/cube.pov --no-progress --grammar literal"
           "$bin/korvan import $dir/mesh2_300.pov --no-progress --grammar literal")
  if [ -n "${FAST_OBJ_HEADER:-}" ] && [ -f "$FAST_OBJ_HEADER" ]; then
    printf '#define FAST_OBJ_IMPLEMENTATION\n#include "%s"\nint main(int c, char** v) { fastObjMesh* m = fast_obj_read(v[1]); if (m) fast_obj_destroy(m); return m == 0; }\n' \
      "$FAST_OBJ_HEADER" > "$dir/fast_obj_main.c"
    cc -O2 "$dir/fast_obj_main.c" -o "$dir/fast_obj" -lm
    "$bin/korvan" import "$dir/mesh2_300.pov" -o "$dir/grid.obj" --no-progress --grammar literal >/dev/null
    startup+=("$dir/fast_obj $dir/grid.obj")
  fi
  hyperfine -N -w 5 -r 40 --export-json "$dir/startup.json" "${startup[@]}" 2>&1 |
    grep -E "Benchmark|Time"
  python3 - "$dir/startup.json" "${FAST_OBJ_MS:-}" <<'PY'
import json, sys
results = {r["command"]: r for r in json.load(open(sys.argv[1]))["results"]}
grid = next(r for c, r in results.items() if "mesh2_300" in c)
fast = next((r for c, r in results.items() if "fast_obj" in c), None)
fast_ms = fast["mean"] * 1e3 if fast else float(sys.argv[2]) if sys.argv[2] else None
if fast_ms:
    print(f"grid import {grid['mean'] * 1e3:.1f} ms / fast_obj {fast_ms:.1f} ms = "
          f"{grid['mean'] * 1e3 / fast_ms:.2f} (goal <= 1.3)")
PY
fi

echo "## korvan import, whole process: without and with -o out.glb (medians of 15, interleaved)"
seconds() { /usr/bin/time -f "%e %M" "$@" 2>&1 >/dev/null | tail -1; }
for i in $(seq 15); do
  echo "plain $(seconds "$bin/korvan" import "$dir/mesh2_300.pov" --no-progress --grammar literal)"
  echo "glb $(seconds "$bin/korvan" import "$dir/mesh2_300.pov" -o "$dir/out.glb" --no-progress --grammar literal)"
done | sort -k1,1 -k2,2n | awk '
  { t[$1] = t[$1] " " $2; m[$1] = $3 > m[$1] ? $3 : m[$1] }
  END {
    for (k in t) { n = split(substr(t[k], 2), v, " "); med[k] = v[int((n + 1) / 2)] }
    printf "mesh2_300.pov: %.3f s, peak %d KB\n", med["plain"], m["plain"]
    printf "mesh2_300.pov -> glb: %.3f s, peak %d KB; the export adds %.3f s\n",
      med["glb"], m["glb"], med["glb"] - med["plain"]
  }'

for output in "" "$dir/out.glb"; do
  /usr/bin/time -f "mesh2_1000.pov${output:+ -> glb}: %e s, peak %M KB" \
    "$bin/korvan" import "$dir/mesh2_1000.pov" ${output:+-o "$output"} --no-progress --grammar literal >/dev/null
done

echo "## ImportFile with the progress drawn as text on a (pseudo-)terminal"
"$bin/import_bench" "$dir/mesh2_300.pov" 15 --terminal
"$bin/import_bench" "$dir/smooth_300.pov" 9 --terminal

echo "## The progress alone, driven as the grid imports drive it (time in the callbacks)"
for pace in "60 8" "125 88" "1400 100"; do  # mesh2 300², smooth 300², smooth 1000²
  # shellcheck disable=SC2086
  "$bin/progress_bench" $pace | head -1
  if command -v xvfb-run >/dev/null; then
    # shellcheck disable=SC2086
    xvfb-run -a "$bin/progress_bench" $pace | tail -1
  fi
done

echo "## Compiled function { } bodies beside C++ lambdas of the same expressions"
"$bin/function_bench"

if command -v xvfb-run >/dev/null; then
  echo "## ImportFile with the progress window shown (Xvfb); compare with the runs above"
  xvfb-run -a "$bin/import_bench" "$dir/mesh2_300.pov" 15
  xvfb-run -a "$bin/import_bench" "$dir/smooth_300.pov" 9
  xvfb-run -a "$bin/import_bench" "$dir/mesh2_1000.pov" 3
fi

if command -v povray >/dev/null; then
  echo "## POV-Ray parsing the same mesh2 file (median of 5)"
  printf 'camera { location <0,20,-20> look_at 0 }\n#include "%s"\n' "$dir/mesh2_300.pov" > "$dir/scene.pov"
  for i in 1 2 3 4 5; do
    /usr/bin/time -f "%e" povray +I"$dir/scene.pov" +O/dev/null -D +W8 +H8 -GA 2>&1 >/dev/null | tail -1
  done | sort -n | sed -n 3p | xargs printf 'povray: %s s\n'
fi

if command -v povray >/dev/null && command -v hyperfine >/dev/null; then
  # Shapes and CSG (bench/shapes/): each import beside POV-Ray's own run on
  # the same file (its start-up and parse; +Q0 draws an 8 x 8 picture
  # without lights), whole processes.
  echo "## Shapes and CSG beside POV-Ray (hyperfine, whole processes)"
  for f in shapes_only merge50 csg_scene iso_rounded_box blob1000; do
    hyperfine -N -w 1 -r 5 --export-markdown /dev/stdout \
      "$bin/korvan import bench/shapes/$f.pov --no-progress" \
      "povray +Ibench/shapes/$f.pov +O/dev/null -D +W8 +H8 +Q0 -GA" 2>/dev/null | tail -3
  done
fi

#!/usr/bin/env bash
# Blender's window with a scene imported by the add-on, for docs/:
# scripts/tools/blender_shot.sh SCENE.pov OUT.png (build the release first).
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts=$(mktemp -d)
trap 'rm -rf "$scripts"' EXIT
# Blender's embedded Python must not find a pyenv Python first on PATH.
PATH=$(tr ':' '\n' <<<"$PATH" | grep -v pyenv | paste -sd:) BLENDER_USER_SCRIPTS=$scripts \
  xvfb-run -a -s "-screen 0 1280x800x24" blender --factory-startup \
  --python scripts/tools/blender_shot.py -- "$PWD/build/release/blender/korvan_pov.zip" \
  "$(realpath "$1")" "$(realpath -m "$2")" >/dev/null
echo "wrote $2"

#!/usr/bin/env python3
"""Ask POV-Ray what a case's object is: inside() at random points, trace() along random rays.

Usage: sample.py CASE.pov [-o SIDECAR] [--cache DIR] [--points N] [--rays R] [--seed S]

The case file declares `#declare Shape = <object>;` (and may declare Sample_Min and
Sample_Max, the box to sample, for infinite shapes). POV-Ray answers while it parses, so the
scene is run at 1x1 pixel without display. The answers go to a sidecar file (see README.md);
with --cache the sidecar is kept under DIR, named after a hash of the case file and the
settings, and a rerun with the same inputs reuses it.
"""

import argparse
import hashlib
import os
import shutil
import subprocess
import sys
import tempfile
import re
import time

# The scene that does the sampling. Names start with S_ to stay out of the case's way.
SCENE = r"""#version 3.7;
global_settings { assumed_gamma 1 }
#include "case.inc"
#ifndef (Shape)
  #error "the case file declares no Shape"
#end
#ifdef (Sample_Min)
  #declare S_Lo = Sample_Min + <0, 0, 0>;
  #declare S_Hi = Sample_Max + <0, 0, 0>;
  #declare S_Clip = 1;
#else
  #declare S_Clip = 0;
  #declare S_Lo0 = min_extent(Shape);
  #declare S_Hi0 = max_extent(Shape);
  #if (vlength(S_Hi0 - S_Lo0) > 1e6)
    #error "the object is unbounded: declare Sample_Min and Sample_Max in the case file"
  #end
  // 5 % of each side, but at least 1 % of the diagonal so that a flat object gets a slab.
  #declare S_Floor = vlength(S_Hi0 - S_Lo0) * 0.01;
  #declare S_Grow = (S_Hi0 - S_Lo0) * 0.05;
  #declare S_Grow = <max(S_Grow.x, S_Floor), max(S_Grow.y, S_Floor), max(S_Grow.z, S_Floor)>;
  #declare S_Lo = S_Lo0 - S_Grow;
  #declare S_Hi = S_Hi0 + S_Grow;
#end
#declare S_Size = S_Hi - S_Lo;
#declare S_R = seed(@SEED@);

#fopen S_F "points.txt" write
#declare S_I = 0;
#while (S_I < @POINTS@)
  #declare S_P = S_Lo + <rand(S_R), rand(S_R), rand(S_R)> * S_Size;
  // A surface (a bicubic patch) has no inside() to ask: its points say 0
  // and are not judged.
  #write (S_F, vstr(3, S_P, " ", 0, 12), " ", str(@INSIDE@, 0, 0), "\n")
  #declare S_I = S_I + 1;
#end
#fclose S_F

// Rays start on a sphere around the box and aim at a random point in it.
#declare S_C = (S_Lo + S_Hi) / 2;
#declare S_Rad = vlength(S_Size) / 2 * 1.1;
#fopen S_F "rays.txt" write
#declare S_I = 0;
#while (S_I < @RAYS@)
  #declare S_U = <1, 1, 1>;
  #while (vlength(S_U) > 1 | vlength(S_U) < 0.01)
    #declare S_U = <rand(S_R), rand(S_R), rand(S_R)> * 2 - 1;
  #end
  #declare S_O = S_C + vnormalize(S_U) * S_Rad;
  #declare S_D = vnormalize(S_Lo + <rand(S_R), rand(S_R), rand(S_R)> * S_Size - S_O);
  #declare S_N = <0, 0, 0>;
  #declare S_H = trace(Shape, S_O, S_D, S_N);
  #write (S_F, vstr(3, S_O, " ", 0, 12), " ", vstr(3, S_D, " ", 0, 15), " ",
          vstr(3, S_H, " ", 0, 12), " ", vstr(3, S_N, " ", 0, 12), "\n")
  #declare S_I = S_I + 1;
#end
#fclose S_F

#fopen S_F "box.txt" write
#write (S_F, vstr(3, S_Lo, " ", 0, 12), " ", vstr(3, S_Hi, " ", 0, 12), "\n", str(S_Clip, 0, 0), "\n")
#fclose S_F
"""

FORMAT = "shape-sidecar 1"


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("case")
    parser.add_argument("-o", "--output", help="write the sidecar here")
    parser.add_argument("--cache", help="keep sidecars in this folder, keyed by the case's hash")
    parser.add_argument("--points", type=int, default=100000)
    parser.add_argument("--rays", type=int, default=2000)
    parser.add_argument("--seed", type=int, default=20261207)
    parser.add_argument("--povray", default=os.environ.get("POVRAY", "povray"))
    args = parser.parse_args()
    if not args.output and not args.cache:
        parser.error("give -o or --cache")

    with open(args.case, "rb") as f:
        case = f.read()
    surface = re.search(rb"//\s*judge:\s*surface", case) is not None
    scene = (SCENE.replace("@SEED@", str(args.seed)).replace("@POINTS@", str(args.points))
             .replace("@RAYS@", str(args.rays))
             .replace("@INSIDE@", "0" if surface else "inside(Shape, S_P)"))
    key = hashlib.sha256(case + b"\0" + scene.encode() + b"\0" + FORMAT.encode()).hexdigest()[:16]

    cached = None
    if args.cache:
        os.makedirs(args.cache, exist_ok=True)
        stem = os.path.splitext(os.path.basename(args.case))[0]
        cached = os.path.join(args.cache, "%s-%s.sidecar" % (stem, key))
        if os.path.exists(cached):
            finish(cached, args.output)
            return 0

    sidecar = run_povray(args, case, scene, key)
    if sidecar is None:
        return 1
    target = cached or args.output
    temp = "%s.%d.tmp" % (target, os.getpid())
    with open(temp, "w") as f:
        f.write(sidecar)
    os.replace(temp, target)  # whole or not at all, even with two runs at once
    finish(target, args.output)
    return 0


def run_povray(args, case, scene, key):
    with tempfile.TemporaryDirectory(prefix="shape-sample-") as scratch:
        with open(os.path.join(scratch, "case.inc"), "wb") as f:
            f.write(case)
        with open(os.path.join(scratch, "sample.pov"), "w") as f:
            f.write(scene)
        start = time.monotonic()
        run = subprocess.run(
            # +L: files the case names (an image) are found beside it.
            [args.povray, "+Isample.pov", "+O-", "+W1", "+H1", "-D", "-V", "-GA", "+GF",
             "+L" + os.path.dirname(os.path.abspath(args.case))],
            cwd=scratch, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, env=povray_env())
        seconds = time.monotonic() - start
        names = ("box.txt", "points.txt", "rays.txt")
        if run.returncode != 0 or not all(os.path.exists(os.path.join(scratch, n)) for n in names):
            sys.stderr.write(run.stdout.decode("utf-8", "replace"))
            sys.stderr.write("sample.py: POV-Ray failed on %s (exit %d)\n" % (args.case, run.returncode))
            return None
        parts = {}
        for name in names:
            with open(os.path.join(scratch, name)) as f:
                parts[name] = f.read().split("\n")
        points = [l for l in parts["points.txt"] if l.strip()]
        rays = [l for l in parts["rays.txt"] if l.strip()]
        if len(points) != args.points or len(rays) != args.rays:
            sys.stderr.write("sample.py: POV-Ray wrote %d points and %d rays, not %d and %d\n"
                             % (len(points), len(rays), args.points, args.rays))
            return None
        sys.stderr.write("sample.py: %s sampled by POV-Ray in %.1f s\n" % (args.case, seconds))
    out = [FORMAT, "case %s" % os.path.basename(args.case), "key %s" % key,
           "seed %d" % args.seed, "box %s" % parts["box.txt"][0].strip(),
           "clip %s" % parts["box.txt"][1].strip(),
           "points %d" % len(points)]
    out += points
    out.append("rays %d" % len(rays))
    out += rays
    return "\n".join(out) + "\n"


def povray_env():
    # POV-Ray wants a home for its user settings; give it one that exists.
    env = dict(os.environ)
    if not os.path.isdir(env.get("HOME", "")):
        env["HOME"] = tempfile.gettempdir()
    return env


def finish(path, output):
    if output and os.path.abspath(output) != os.path.abspath(path):
        shutil.copyfile(path, output)
    print(output or path)


if __name__ == "__main__":
    sys.exit(main())

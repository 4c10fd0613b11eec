#!/usr/bin/env python3
"""Runs one shape case, or the judge's self-test, for ctest.

  check.py case --korvan KORVAN --judge SHAPE_JUDGE --work DIR CASE.pov
      korvan imports the case to OBJ (POV-Ray's own coordinates and winding),
      sample.py asks POV-Ray about the case's Shape (cached in DIR/sidecars),
      shape_judge compares them with the thresholds of the case's
      "// judge:" line.
  check.py selftest --selftest SHAPE_JUDGE_SELFTEST --work DIR SPHERE.pov BOX.pov
"""

import argparse
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))


def sample(case, work):
    run = subprocess.run([sys.executable, os.path.join(HERE, "sample.py"), case,
                          "--cache", os.path.join(work, "sidecars")],
                         stdout=subprocess.PIPE, universal_newlines=True)
    if run.returncode != 0:
        sys.exit("check.py: sampling %s with POV-Ray failed" % case)
    return run.stdout.strip().splitlines()[-1]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mode", choices=("case", "selftest"))
    parser.add_argument("--korvan")
    parser.add_argument("--judge")
    parser.add_argument("--selftest")
    parser.add_argument("--work", required=True)
    parser.add_argument("files", nargs="+")
    args = parser.parse_args()
    os.makedirs(args.work, exist_ok=True)

    if args.mode == "selftest":
        sidecars = [sample(f, args.work) for f in args.files]
        return subprocess.run([args.selftest] + sidecars).returncode

    case = args.files[0]
    name = os.path.splitext(os.path.basename(case))[0]
    obj = os.path.join(args.work, name + ".obj")
    if os.path.exists(obj):
        os.remove(obj)
    env = dict(os.environ)
    env["KORVAN_CONFIG_HOME"] = os.path.join(args.work, "korvan_config")  # the defaults
    run = subprocess.run([args.korvan, "import", case, "-o", obj, "--keep-handedness",
                          "--keep-winding", "--no-progress"], env=env)
    if run.returncode != 0 or not os.path.exists(obj):
        sys.exit("check.py: korvan could not import %s (exit %d)" % (case, run.returncode))
    sidecar = sample(case, args.work)
    print("judging %s against %s" % (obj, sidecar), flush=True)
    return subprocess.run([args.judge, obj, sidecar, "--case", case]).returncode


if __name__ == "__main__":
    sys.exit(main())

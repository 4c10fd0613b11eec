#!/usr/bin/env python3
"""Checks korvan's exports with readers that are not ours.

  export_oracles.py validator KORVAN WORK FILE...
      writes each scene file as .glb and .gltf and runs the Khronos glTF
      validator (validate_gltf.cjs, npm package gltf-validator) over them:
      any error or warning fails.
  export_oracles.py blender KORVAN WORK SCENE...
      writes each scene in every format `korvan formats` offers, imports
      every file with Blender's own importers (blender_report.py) and
      compares mesh objects, faces, materials and the bounding box with the
      JSON export of the same scene, and the winding with the normals.

  export_oracles.py addon KORVAN WORK ZIP GRAMMAR SCENE...
      installs the Blender add-on of ZIP in headless Blender, imports each
      scene with it and compares objects, faces, materials, uv and the
      bounding box with the JSON export of the same scene, and which faces
      wind with their normals.

Scenes are read with --grammar povray unless said. Prints what differs;
exit status 1.
"""
import json
import os
import re
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
# Blender's axes for each extension, from POV-Ray's (x, y, z): glTF, OBJ
# and COLLADA say y is up and Blender turns that to z up; PLY and STL have
# no axes and are taken as written (z negated).
AXES = {
    "glb": lambda v: (v[0], v[2], v[1]),
    "gltf": lambda v: (v[0], v[2], v[1]),
    "obj": lambda v: (v[0], v[2], v[1]),
    "dae": lambda v: (v[0], v[2], v[1]),
    "ply": lambda v: (v[0], v[1], -v[2]),
    "stl": lambda v: (v[0], v[1], -v[2]),
}
# How host meshes become Blender objects: one each (named after the mesh),
# one per material of a mesh (COLLADA), or one for the whole scene.
ONE_MESH = {"ply", "plyb", "stl", "stlb"}
NO_MATERIALS = ONE_MESH | {"objnomtl"}


def korvan(binary, scene, out, *extra, grammar="povray"):
    run = subprocess.run([binary, "import", "--no-progress", "--grammar", grammar, scene, "-o", out,
                          *extra], capture_output=True, text=True)
    # Faces left out by the export, per mesh, from its messages.
    dropped = {}
    for m in re.finditer(r"mesh (.+?): (\d+) faces left out", run.stderr):
        dropped[m.group(1)] = dropped.get(m.group(1), 0) + int(m.group(2))
    if run.returncode not in (0, 2) or not os.path.exists(out):
        raise RuntimeError(f"{scene} -> {out}: exit {run.returncode}: {run.stderr}")
    return dropped


def expected_of(json_path, dropped):
    scene = json.load(open(json_path))
    meshes, low, high = {}, [1e30] * 3, [-1e30] * 3
    for obj in scene["objects"]:
        if "faces" not in obj:
            continue
        used = {obj["materials"][f[-1]] for f in obj["faces"] if 0 <= f[-1] < len(obj["materials"])}
        meshes[obj["name"]] = {"faces": len(obj["faces"]) - dropped.get(obj["name"], 0),
                               "materials": used}
        for v in obj["vertices"]:
            for k in range(3):
                low[k], high[k] = min(low[k], v[k]), max(high[k], v[k])
    return {"meshes": meshes, "min": low, "max": high}


def formats(binary):
    out = subprocess.run([binary, "formats"], capture_output=True, text=True, check=True).stdout
    return [(line.split()[0], line.split()[1].lstrip(".")) for line in out.splitlines()
            if line.strip() and line.split()[0] != "json"]


def compare(label, fmt, ext, expected, got, problems):
    def fail(what):
        problems.append(f"{label}: {what}")

    if "error" in got:
        return fail(f"Blender cannot import it: {got['error']}")
    objects = {}
    for o in got["objects"]:
        base = re.sub(r"\.\d{3}$", "", o["name"]) if ext == "dae" else o["name"]
        entry = objects.setdefault(base, {"faces": 0, "materials": set(), "count": 0})
        entry["faces"] += o["faces"]
        entry["materials"] |= set(o["materials"])
        entry["count"] += 1
    want = {n: m for n, m in expected["meshes"].items() if m["faces"] > 0}
    if fmt in ONE_MESH:
        total = sum(m["faces"] for m in want.values())
        got_total = sum(o["faces"] for o in objects.values())
        if len(objects) != 1 or got_total != total:
            fail(f"one object with {total} faces expected, got {len(objects)} with {got_total}")
    else:
        if set(objects) != set(want):
            fail(f"objects {sorted(objects)}, expected {sorted(want)}")
        for name in set(objects) & set(want):
            o, m = objects[name], want[name]
            if o["faces"] != m["faces"]:
                fail(f"{name}: {o['faces']} faces, expected {m['faces']}")
            if fmt not in NO_MATERIALS and o["materials"] != m["materials"]:
                fail(f"{name}: materials {sorted(o['materials'])}, expected {sorted(m['materials'])}")
            if ext == "dae" and o["count"] != len(m["materials"]):
                fail(f"{name}: {o['count']} objects, one per material expected")
    corners = [AXES[ext](expected["min"]), AXES[ext](expected["max"])]
    low = [min(c[k] for c in corners) for k in range(3)]
    high = [max(c[k] for c in corners) for k in range(3)]
    for k in range(3):
        if abs(got["min"][k] - low[k]) > 1e-4 or abs(got["max"][k] - high[k]) > 1e-4:
            fail(f"bounding box {got['min']}..{got['max']}, expected {low}..{high}")
            break
    if got["against"] != 0:
        fail(f"{got['against']} faces wind against their normals")


def blender(binary, work, scenes):
    problems, checks = [], []
    for scene in scenes:
        stem = os.path.splitext(os.path.basename(scene))[0]
        json_path = os.path.join(work, stem + ".json")
        korvan(binary, scene, json_path)
        files = []
        for fmt, ext in formats(binary):
            out = os.path.join(work, f"{stem}_{fmt}.{ext}")
            dropped = korvan(binary, scene, out, "--format", fmt)
            files.append((fmt, ext, out))
        expected = expected_of(json_path, dropped)
        checks.append((scene, expected, files))
        # As read, the winding must show in Blender: the rules are not idle.
        kept = os.path.join(work, f"{stem}_kept.glb")
        korvan(binary, scene, kept, "--keep-winding")
        checks.append((scene, None, [("kept", "glb", kept)]))
    all_files = [f for _, _, files in checks for _, _, f in files]
    report, error = run_blender(work, all_files)
    if error:
        return [error]
    against_as_read = 0
    for scene, expected, files in checks:
        for fmt, ext, path in files:
            got = report.get(path, {"error": "not in Blender's report"})
            print(f"{path}: {json.dumps(got)[:200]}")
            if expected is None:
                against_as_read += got.get("against", 0)
            else:
                compare(f"{os.path.basename(scene)} as {fmt}", fmt, ext, expected, got, problems)
    if against_as_read == 0:
        problems.append("no scene has faces that wind against their normals as read: "
                        "the winding check proves nothing")
    return problems


def run_blender(work, args):
    """Runs blender_report.py in headless Blender; its report, or an error."""
    report_path = os.path.join(work, "blender_report.json")
    if os.path.exists(report_path):
        os.remove(report_path)
    # Blender's embedded Python looks for its library beside the first
    # python3 on PATH; a Python of pyenv's there (as when this runs under it)
    # hides Debian's, and with it numpy. Add-ons go to a folder of the test's.
    env = dict(os.environ)
    env["PATH"] = os.pathsep.join(p for p in env["PATH"].split(os.pathsep) if ".pyenv" not in p)
    env["BLENDER_USER_SCRIPTS"] = os.path.join(work, "blender_scripts")
    run = subprocess.run(["blender", "-b", "--factory-startup", "--python",
                          os.path.join(HERE, "blender_report.py"), "--", report_path, *args],
                         capture_output=True, text=True, env=env)
    if run.returncode != 0 or not os.path.exists(report_path):
        return None, f"Blender failed (exit {run.returncode}): {run.stdout[-2000:]} {run.stderr[-2000:]}"
    return json.load(open(report_path)), None


def winding_counts(obj):
    """Faces of a JSON object whose normals point with / against their
    winding (by the sum of their corners' unit normals), counting only the
    faces the add-on keeps."""
    agree = against = 0
    if not obj.get("normals_used"):
        return 0, 0
    v, n = obj["vertices"], obj["nvertices"]
    for face, nface in zip(obj["faces"], obj["nfaces"]):
        a, b, c = face[:3]
        if not all(0 <= i < len(v) for i in (a, b, c)) or len({a, b, c}) < 3:
            continue
        if not all(0 <= i < len(n) for i in nface[:3]):
            continue
        u = [v[b][k] - v[a][k] for k in range(3)]
        w = [v[c][k] - v[a][k] for k in range(3)]
        cross = [u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]]
        if sum(x * x for x in cross) == 0:
            continue  # no winding to agree with
        total = 0.0
        for i in nface[:3]:
            length = sum(x * x for x in n[i]) ** 0.5
            if length > 0:
                total += sum(n[i][k] / length * cross[k] for k in range(3))
            else:  # no direction: Blender takes the face's own, which agrees
                total += sum(x * x for x in cross) ** 0.5
        agree += total > 1e-12
        against += total < -1e-12
    return agree, against


def addon(binary, work, zip_path, grammar, scenes):
    """grammar "default": the add-on's own default, which is POV-Ray's syntax."""
    problems, expected = [], {}
    for scene in scenes:
        json_path = os.path.join(work, os.path.basename(scene) + ".json")
        korvan(binary, scene, json_path, grammar="povray" if grammar == "default" else grammar)
        expected[os.path.abspath(scene)] = json.load(open(json_path))
    report, error = run_blender(work, ["--addon", zip_path, "--grammar", grammar,
                                       *expected.keys()])
    if error:
        return [error]
    for scene, data in expected.items():
        got = report.get(scene, {"error": "not in Blender's report"})
        print(f"{scene}: {json.dumps(got)[:300]}")
        label = os.path.basename(scene)
        if "error" in got:
            problems.append(f"{label}: the add-on failed: {got['error']}")
            continue
        # The file's cameras and lights (else the host's defaults), as in the glb.
        if (len(got["cameras"]), len(got["lights"])) != (data["cameras"], data["lights"]):
            problems.append(f"{label}: {len(got['cameras'])} cameras and {len(got['lights'])} "
                            f"lights, expected {data['cameras']} and {data['lights']}")
        objects = {o["name"]: o for o in got["objects"]}
        meshes = [o for o in data["objects"] if "faces" in o]
        if sorted(objects) != sorted(o["name"] for o in meshes):
            problems.append(f"{label}: objects {sorted(objects)}, "
                            f"expected {sorted(o['name'] for o in meshes)}")
        agree = against = 0
        low, high = [1e30] * 3, [-1e30] * 3
        for obj in meshes:
            v = obj["vertices"]
            kept = [f for f in obj["faces"]
                    if all(0 <= i < len(v) for i in f[:3]) and len(set(f[:3])) == 3]
            used = sorted({obj["materials"][f[3]] for f in kept if 0 <= f[3] < len(obj["materials"])})
            o = objects.get(obj["name"], {"faces": None, "materials": None, "uv": None})
            if o["faces"] != len(kept):
                problems.append(f"{label}: {obj['name']}: {o['faces']} faces, expected {len(kept)}")
            if sorted(o["materials"] or []) != used:
                problems.append(f"{label}: {obj['name']}: materials {o['materials']}, "
                                f"expected {used}")
            if o["uv"] != bool(obj["uv_used"] and obj["uvvertices"]):
                problems.append(f"{label}: {obj['name']}: uv {o['uv']}, expected {obj['uv_used']}")
            a, b = winding_counts(obj)
            agree, against = agree + a, against + b
            for p in v:
                for k in range(3):
                    low[k], high[k] = min(low[k], p[k]), max(high[k], p[k])
        if meshes and any(m["vertices"] for m in meshes):
            want_low, want_high = AXES["glb"](low), AXES["glb"](high)  # (x, z, y)
            if any(abs(got["min"][k] - want_low[k]) > 1e-4 or abs(got["max"][k] - want_high[k]) > 1e-4
                   for k in range(3)):
                problems.append(f"{label}: bounding box {got['min']}..{got['max']}, "
                                f"expected {list(want_low)}..{list(want_high)}")
        if (got["agree"], got["against"]) != (agree, against):
            problems.append(f"{label}: {got['agree']} faces wind with their normals and "
                            f"{got['against']} against, expected {agree} and {against}")
    return problems


def validator(binary, work, scenes):
    files = []
    for scene in scenes:
        stem = os.path.basename(scene).replace(".", "_")
        for ext in ("glb", "gltf"):
            out = os.path.join(work, f"{stem}.{ext}")
            korvan(binary, scene, out)
            files.append(out)
    # The validator is installed globally (npm install -g), where require()
    # looks only when told.
    env = dict(os.environ)
    root = subprocess.run(["npm", "root", "-g"], capture_output=True, text=True).stdout.strip()
    env["NODE_PATH"] = os.pathsep.join(p for p in (env.get("NODE_PATH"), root) if p)
    run = subprocess.run(["node", os.path.join(HERE, "validate_gltf.cjs"), *files],
                         capture_output=True, text=True, env=env)
    print(run.stdout + run.stderr)
    return [] if run.returncode == 0 else ["the glTF validator found errors or warnings (above)"]


def main():
    mode, binary, work, scenes = sys.argv[1], sys.argv[2], sys.argv[3], sys.argv[4:]
    os.makedirs(work, exist_ok=True)
    if mode == "addon":
        problems = addon(binary, work, scenes[0], scenes[1], scenes[2:])
    else:
        problems = (validator if mode == "validator" else blender)(binary, work, scenes)
    for p in problems:
        print("FAIL: " + p)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())

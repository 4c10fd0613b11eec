# Run inside Blender (blender -b --factory-startup --python blender_report.py
# -- REPORT.json [--addon ZIP] [--grammar literal|povray] FILE...): imports
# each file into an empty scene with Blender's own importer for its
# extension (.pov and .inc with the add-on of ZIP, installed and enabled
# first) and writes what it got: per mesh object its name, face count,
# material names and whether it has uv, the bounding box of all mesh objects
# in world space, and how many faces with custom normals have a winding
# that agrees with them. An import that fails is reported with its error,
# not raised.
import json
import sys
import time

import bpy
import mathutils

# Debian's numpy 1.24 no longer has numpy.bool, which Blender 3.4's glTF
# importer uses.
import numpy

if not hasattr(numpy, "bool"):
    numpy.bool = bool

IMPORTERS = {
    "glb": lambda p: bpy.ops.import_scene.gltf(filepath=p),
    "gltf": lambda p: bpy.ops.import_scene.gltf(filepath=p),
    "obj": lambda p: bpy.ops.wm.obj_import(filepath=p),
    "ply": lambda p: bpy.ops.import_mesh.ply(filepath=p),
    "stl": lambda p: bpy.ops.import_mesh.stl(filepath=p),
    "dae": lambda p: bpy.ops.wm.collada_import(filepath=p),
}


def describe():
    objects, low, high = [], [1e30] * 3, [-1e30] * 3
    agree = against = 0
    cameras, lights = [], []
    for obj in bpy.context.scene.objects:
        if obj.type == "CAMERA":
            forward = obj.matrix_world.to_3x3() @ mathutils.Vector((0, 0, -1))
            cameras.append({"at": list(obj.location), "forward": list(forward)})
        elif obj.type == "LIGHT":
            lights.append({"at": list(obj.location), "energy": obj.data.energy})
        if obj.type != "MESH":
            continue
        mesh = obj.data
        used = sorted({p.material_index for p in mesh.polygons})
        names = [mesh.materials[i].name for i in used if i < len(mesh.materials) and mesh.materials[i]]
        objects.append({"name": obj.name, "faces": len(mesh.polygons), "materials": names,
                        "uv": len(mesh.uv_layers) > 0})
        for v in mesh.vertices:
            w = obj.matrix_world @ v.co
            for k in range(3):
                low[k], high[k] = min(low[k], w[k]), max(high[k], w[k])
        if mesh.has_custom_normals:
            mesh.calc_normals_split()
            for p in mesh.polygons:
                if p.area <= 0:
                    continue  # no winding to agree with
                s = sum((mesh.loops[i].normal for i in p.loop_indices), p.normal * 0)
                d = s.dot(p.normal)
                agree += d > 0
                against += d < 0
    return {"objects": objects, "min": low, "max": high, "agree": agree, "against": against,
            "cameras": cameras, "lights": lights}


def install_addon(zip_path):
    bpy.ops.preferences.addon_install(filepath=zip_path, overwrite=True)
    bpy.ops.preferences.addon_enable(module="korvan_pov")


def main():
    args = sys.argv[sys.argv.index("--") + 1:]
    out, files, grammar = args[0], [], "DEFAULT"  # DEFAULT: the add-on's own default
    i = 1
    while i < len(args):
        if args[i] == "--addon":
            install_addon(args[i + 1])
            i += 2
        elif args[i] == "--grammar":
            grammar = args[i + 1].upper()
            i += 2
        else:
            files.append(args[i])
            i += 1
    for ext in ("pov", "inc"):
        IMPORTERS[ext] = lambda p: bpy.ops.import_scene.korvan_pov(
            filepath=p, **({} if grammar == "DEFAULT" else {"grammar": grammar}))
    report = {}
    for path in files:
        bpy.ops.wm.read_factory_settings(use_empty=True)
        if path.lower().endswith((".pov", ".inc")):  # the reset disabled the add-on
            bpy.ops.preferences.addon_enable(module="korvan_pov")
        try:
            start = time.perf_counter()
            IMPORTERS[path.rsplit(".", 1)[1].lower()](path)
            seconds = time.perf_counter() - start
            report[path] = describe()
            report[path]["seconds"] = seconds
        except Exception as e:  # the test reports it with the file
            report[path] = {"error": str(e)}
    with open(args[0], "w") as out:
        json.dump(report, out, indent=1)


main()

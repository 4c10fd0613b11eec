# Run inside Blender (blender -b --factory-startup --python blender_report.py
# -- REPORT.json FILE...): imports each file into an empty scene with
# Blender's own importer for its extension and writes what it got: per mesh
# object its name, face count and material names, the bounding box of all
# mesh objects in world space, and how many faces with custom normals have
# a winding that agrees with them. An import that fails is reported with
# its error, not raised.
import json
import sys

import bpy

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
    for obj in bpy.context.scene.objects:
        if obj.type != "MESH":
            continue
        mesh = obj.data
        used = sorted({p.material_index for p in mesh.polygons})
        names = [mesh.materials[i].name for i in used if i < len(mesh.materials) and mesh.materials[i]]
        objects.append({"name": obj.name, "faces": len(mesh.polygons), "materials": names})
        for v in mesh.vertices:
            w = obj.matrix_world @ v.co
            for k in range(3):
                low[k], high[k] = min(low[k], w[k]), max(high[k], w[k])
        if mesh.has_custom_normals:
            mesh.calc_normals_split()
            for p in mesh.polygons:
                s = sum((mesh.loops[i].normal for i in p.loop_indices), p.normal * 0)
                d = s.dot(p.normal)
                agree += d > 0
                against += d < 0
    return {"objects": objects, "min": low, "max": high, "agree": agree, "against": against}


def main():
    args = sys.argv[sys.argv.index("--") + 1:]
    report = {}
    for path in args[1:]:
        bpy.ops.wm.read_factory_settings(use_empty=True)
        try:
            IMPORTERS[path.rsplit(".", 1)[1].lower()](path)
            report[path] = describe()
        except Exception as e:  # the test reports it with the file
            report[path] = {"error": str(e)}
    with open(args[0], "w") as out:
        json.dump(report, out, indent=1)


main()

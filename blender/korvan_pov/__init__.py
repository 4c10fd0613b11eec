"""Blender add-on: File > Import > POV-Ray geometry (.pov, .inc).

Reads the polygon geometry of POV-Ray scene files (mesh2, mesh, triangle,
smooth_triangle) with the tarvo_in plug-in through the korvan package that
ships beside this file, and makes one Blender object per mesh: positions
turned from POV-Ray's left-handed y-up axes to Blender's right-handed z-up
ones (y and z swap, which also turns each face so that it keeps its side),
material slots with the file's colours, custom split normals from the
file's normals and a uv layer; the file's cameras and lights become Blender
cameras and point lights in the same axes. Files are read in POV-Ray's own
syntax unless the file browser's "Grammar" says "Documented". Arrays go in
through foreach_set, without per-vertex Python loops.
"""

bl_info = {
    "name": "POV-Ray geometry",
    "author": "korvan",
    "version": (1, 0, 0),
    "blender": (3, 4, 0),
    "location": "File > Import > POV-Ray geometry (.pov, .inc)",
    "description": "Imports the meshes of POV-Ray scene files with the tarvo_in plug-in",
    "category": "Import-Export",
}

import math
import os

import bpy
import numpy
from mathutils import Matrix, Vector
from bpy.props import (BoolProperty, CollectionProperty, EnumProperty, FloatProperty,
                       IntProperty, StringProperty)
from bpy_extras.io_utils import ImportHelper

from . import korvan


def _blender_axes(vectors):
    """POV-Ray's (x, y, z) as Blender's (x, z, y), float32."""
    out = numpy.empty((len(vectors), 3), dtype=numpy.float32)
    out[:, 0], out[:, 1], out[:, 2] = vectors[:, 0], vectors[:, 2], vectors[:, 1]
    return out


def _usable_faces(mesh, use_normals, use_uv):
    """The faces Blender can take: triangles whose indices lie in their
    lists and whose three corners differ; and which channels to use."""
    faces = mesh.faces
    if not isinstance(faces, numpy.ndarray) or faces.ndim != 2:  # polygons: fanned
        faces = numpy.array([(f[0], f[k], f[k + 1]) for f in faces for k in range(1, len(f) - 1)],
                            dtype=numpy.int32).reshape(-1, 3)
        use_normals = use_uv = False
    n = len(mesh.positions)
    ok = ((faces >= 0) & (faces < n)).all(axis=1)
    ok &= (faces[:, 0] != faces[:, 1]) & (faces[:, 1] != faces[:, 2]) & (faces[:, 0] != faces[:, 2])
    use_normals = use_normals and len(mesh.normals) > 0 and len(mesh.normal_faces) == len(faces)
    use_uv = use_uv and len(mesh.uv) > 0 and len(mesh.uv_faces) == len(faces)
    if use_normals:
        ok &= ((mesh.normal_faces >= 0) & (mesh.normal_faces < len(mesh.normals))).all(axis=1)
    if use_uv:
        ok &= ((mesh.uv_faces >= 0) & (mesh.uv_faces < len(mesh.uv))).all(axis=1)
    return faces, ok, use_normals, use_uv


def _unit(normals):
    length = numpy.linalg.norm(normals, axis=1)
    normals[length > 0] /= length[length > 0, None]
    return normals


def _set_normals(data, mesh, faces, normal_faces, order):
    """The file's normals as custom split normals. When each vertex has one
    normal wherever it is used (the usual mesh2), they go in per vertex,
    which costs Blender a third of the time of per-corner normals."""
    per_vertex = numpy.full(len(mesh.positions), -1, dtype=numpy.int64)
    per_vertex[faces.ravel()] = normal_faces.ravel()
    if (per_vertex[faces.ravel()] == normal_faces.ravel()).all():
        normals = numpy.zeros((len(mesh.positions), 3), dtype=numpy.float32)
        used = per_vertex >= 0
        normals[used] = _blender_axes(mesh.normals[per_vertex[used]])
        data.normals_split_custom_set_from_vertices(_unit(normals))
    else:
        corners = normal_faces[:, order].ravel()
        data.normals_split_custom_set(_unit(_blender_axes(mesh.normals[corners])))


def build_object(mesh, materials, use_normals=True, use_uv=True):
    """A Blender object for one korvan mesh; (object, faces left out)."""
    faces, ok, use_normals, use_uv = _usable_faces(mesh, use_normals, use_uv)
    # Swapping y and z mirrors: each face's corners are reversed (0, 2, 1)
    # so that it keeps the side it shows.
    order = [0, 2, 1]
    triangles = faces[ok][:, order]
    count = len(triangles)
    data = bpy.data.meshes.new(mesh.name)
    data.vertices.add(len(mesh.positions))
    data.vertices.foreach_set("co", _blender_axes(mesh.positions).ravel())
    data.loops.add(3 * count)
    data.loops.foreach_set("vertex_index", triangles.ravel())
    data.polygons.add(count)
    data.polygons.foreach_set("loop_start", numpy.arange(0, 3 * count, 3, dtype=numpy.int32))
    data.polygons.foreach_set("loop_total", numpy.full(count, 3, dtype=numpy.int32))
    ids = mesh.material_ids[ok] if len(mesh.material_ids) == len(faces) else numpy.zeros(count)
    ids = numpy.where((ids >= 0) & (ids < max(len(mesh.materials), 1)), ids, 0)
    data.polygons.foreach_set("material_index", ids.astype(numpy.int32))
    if use_uv:
        uv = mesh.uv[mesh.uv_faces[ok][:, order]].astype(numpy.float32)
        data.uv_layers.new(name="UVMap").data.foreach_set("uv", uv.ravel())
    for name in mesh.materials:
        data.materials.append(materials.get(name))
    data.update(calc_edges=True)
    if use_normals:
        data.use_auto_smooth = True  # Blender 3.x shows custom normals only with it
        _set_normals(data, mesh, faces[ok], mesh.normal_faces[ok], order)
    obj = bpy.data.objects.new(mesh.name, data)
    return obj, int(len(faces) - count)


def make_materials(scene):
    """One Blender material per scene material, with the file's colour."""
    out = {}
    for material in scene.materials:
        made = bpy.data.materials.new(material.name or "material")
        if material.color is not None:
            made.diffuse_color = material.color
            made.use_nodes = True
            shader = made.node_tree.nodes.get("Principled BSDF")
            if shader is not None:
                shader.inputs["Base Color"].default_value = material.color
                shader.inputs["Alpha"].default_value = material.color[3]
            if material.color[3] < 1:
                made.blend_method = "BLEND"
        if material.finish is not None:
            made.metallic, made.roughness = material.finish
            made.use_nodes = True
            shader = made.node_tree.nodes.get("Principled BSDF")
            if shader is not None:
                shader.inputs["Metallic"].default_value = material.finish[0]
                shader.inputs["Roughness"].default_value = material.finish[1]
        out[material.name] = made
    return out


# POV-Ray's field of view when the file gives none (direction 1, right 4/3).
_POVRAY_DEFAULT_ANGLE = 2 * math.degrees(math.atan(2 / 3))


def _blender_vector(v):
    return Vector((v[0], v[2], v[1]))


def make_camera(camera, name, center):
    """A Blender camera looking from the POV-Ray camera's location at its
    look_at, its sky up; None when it has no direction to look in."""
    eye = _blender_vector(camera.location)
    forward = _blender_vector(camera.look_at) - eye
    up = _blender_vector(camera.sky)
    right = forward.cross(up)
    if forward.length == 0 or right.length == 0:
        return None
    forward.normalize()
    right.normalize()
    up = right.cross(forward)
    data = bpy.data.cameras.new(name)
    data.sensor_fit = "HORIZONTAL"
    angle = camera.angle if 0 < camera.angle < 180 else _POVRAY_DEFAULT_ANGLE
    data.angle = math.radians(angle)
    far = (center - eye).length * 4 if center is not None else 0
    data.clip_end = max(data.clip_end, far)
    obj = bpy.data.objects.new(name, data)
    # A camera looks down its -z with y up.
    rotation = Matrix((right, up, -forward)).transposed()
    obj.matrix_world = Matrix.Translation(eye) @ rotation.to_4x4()
    return obj


def make_light(light, name, center):
    """A Blender point light. POV-Ray's lights do not fade with distance;
    Blender's do: its power is set so that the scene's centre is lit as
    POV-Ray lights it (as the glb export's strength, read back by Blender's
    glTF importer in its "Unitless" lighting mode)."""
    at = _blender_vector(light.location)
    rgb = [max(0.0, c) for c in light.color]
    peak = max(rgb)
    if not all(math.isfinite(c) for c in rgb) or not all(math.isfinite(c) for c in at):
        return None
    scale = peak if peak > 1 else 1.0
    data = bpy.data.lights.new(name, type="POINT")
    data.color = [c / scale for c in rgb]
    distance = max((center - at).length, 1e-3) if center is not None else 1.0
    data.energy = scale * 4 * math.pi * math.pi * distance * distance
    data.shadow_soft_size = 0
    obj = bpy.data.objects.new(name, data)
    obj.location = at
    return obj


def _center(scene):
    """The centre of the meshes' bounding box in Blender's axes, or None."""
    boxes = [(m.positions.min(axis=0), m.positions.max(axis=0))
             for m in scene.meshes if len(m.positions)]
    if not boxes:
        return None
    low = numpy.min([b[0] for b in boxes], axis=0)
    high = numpy.max([b[1] for b in boxes], axis=0)
    return _blender_vector((low + high) / 2)


class ImportPovGeometry(bpy.types.Operator, ImportHelper):
    """Import the meshes, cameras and lights of POV-Ray scene files"""

    bl_idname = "import_scene.korvan_pov"
    bl_label = "Import POV-Ray"
    bl_options = {"REGISTER", "UNDO", "PRESET"}

    filename_ext = ".pov"
    filter_glob: StringProperty(default="*.pov;*.inc;*.POV;*.INC", options={"HIDDEN"})
    files: CollectionProperty(type=bpy.types.OperatorFileListElement,
                              options={"HIDDEN", "SKIP_SAVE"})
    directory: StringProperty(subtype="DIR_PATH", options={"HIDDEN", "SKIP_SAVE"})

    grammar: EnumProperty(
        name="Grammar",
        items=(("POVRAY", "POV-Ray",
                "As POV-Ray reads files: directives, macros, expressions, #include"),
               ("LITERAL", "Documented",
                "The documented grammar of the four mesh objects only; "
                "directives and declared objects are passed over")),
        default="POVRAY")
    place_objects: BoolProperty(
        name="Place objects", default=True,
        description="POV-Ray syntax: import what the file places, where it places it")
    include_path: StringProperty(
        name="Include path", default="", subtype="DIR_PATH",
        description="A folder searched by #include (beside the file first)")
    shapes: BoolProperty(
        name="Shapes", default=True,
        description="POV-Ray syntax: spheres, boxes, cylinders, CSG and POV-Ray's other "
                    "shapes as meshes (off: the mesh objects only)")
    tolerance: FloatProperty(
        name="Tolerance", default=0.005, min=0.0001, max=0.5, precision=4,
        description="How far a curved surface's mesh may stray from it, relative to the "
                    "radius of each curved part")
    frame: IntProperty(
        name="Frame", default=0, min=0,
        description="POV-Ray syntax: read this frame of the file's animation (frame_number); "
                    "0 reads it as a still image")
    clock: FloatProperty(
        name="Clock", default=0.0,
        description="POV-Ray syntax: the animation's clock for that frame (from 0 to 1)")
    use_normals: BoolProperty(name="Normals", default=True,
                              description="Custom split normals from the file's normals")
    use_uv: BoolProperty(name="UV", default=True, description="A uv layer from the file's uv")
    use_cameras_lights: BoolProperty(
        name="Cameras and lights", default=True,
        description="The file's cameras and lights as Blender cameras and point lights")

    def draw(self, context):
        layout = self.layout
        layout.use_property_split = False
        layout.label(text="Grammar")
        layout.row().prop(self, "grammar", expand=True)
        povray = layout.column()
        povray.enabled = self.grammar == "POVRAY"  # nothing to place or include otherwise
        povray.prop(self, "place_objects")
        povray.label(text="Include path")
        povray.prop(self, "include_path", text="")
        povray.prop(self, "shapes")
        tolerance = povray.row()
        tolerance.enabled = self.shapes
        tolerance.prop(self, "tolerance")
        povray.prop(self, "frame")
        clock = povray.row()
        clock.enabled = self.frame > 0
        clock.prop(self, "clock")
        layout.prop(self, "use_normals")
        layout.prop(self, "use_uv")
        layout.prop(self, "use_cameras_lights")

    def animation(self, povray):
        """The frame to read, for korvan.read: none for a still image."""
        if not povray or self.frame <= 0:
            return {}
        return {"frame": int(self.frame), "clock": float(self.clock)}

    def shape_options(self, povray):
        """Shapes on or off and their tolerance, for korvan.read."""
        if not povray:
            return {}
        return {"shapes": bool(self.shapes), "tolerance": float(self.tolerance)}

    def paths(self):
        if self.files and self.directory:
            return [os.path.join(self.directory, f.name) for f in self.files if f.name]
        return [self.filepath]

    def execute(self, context):
        paths = self.paths()
        window_manager = context.window_manager
        window_manager.progress_begin(0, len(paths))
        made, read = [], 0
        try:
            for step, path in enumerate(paths):
                objects = self.import_one(context, path)
                if objects is not None:
                    read += 1
                    made += objects
                window_manager.progress_update(step + 1)
        finally:
            window_manager.progress_end()
        if read == 0:
            return {"CANCELLED"}
        for obj in made:
            obj.select_set(True)
        if made:
            context.view_layer.objects.active = made[0]
        return {"FINISHED"}

    def import_one(self, context, path):
        """The objects made from one file, or None when it could not be read."""
        povray = self.grammar == "POVRAY"
        try:
            scene = korvan.read(path, grammar=self.grammar.lower(),
                                place_objects=bool(self.place_objects) if povray else None,
                                include_path=(bpy.path.abspath(self.include_path) or None)
                                if povray else None,
                                **self.animation(povray), **self.shape_options(povray))
        except OSError as e:  # names the path once: "[Errno 2] ...: 'X.pov'"
            self.report({"ERROR"}, "%s: %s" % (path, e.strerror or e))
            return None
        except korvan.KorvanError as e:  # its text names the path
            self.report({"ERROR"}, str(e))
            return None
        for message in scene.messages:
            self.report({"ERROR"} if ": error: " in message else {"WARNING"},
                        _in_blenders_words(message))
        if scene.status == 2 and not scene.messages:
            self.report({"ERROR"}, "%s: %s" % (path, scene.outcome.strip()))
        materials = make_materials(scene)
        collection = context.collection
        made, left_out = [], 0
        for mesh in scene.meshes:
            obj, dropped = build_object(mesh, materials, self.use_normals, self.use_uv)
            collection.objects.link(obj)
            made.append(obj)
            left_out += dropped
        if self.use_cameras_lights:
            center = _center(scene)
            # As the glb export: the file's cameras and lights, else the
            # host's default ones.
            for i, camera in enumerate(scene.cameras):
                obj = make_camera(camera, "Camera" if i == 0 else "Camera.%d" % i, center)
                if obj is not None:
                    collection.objects.link(obj)
                    made.append(obj)
                    if context.scene.camera is None:
                        context.scene.camera = obj
            for i, light in enumerate(scene.lights):
                obj = make_light(light, "Light" if i == 0 else "Light.%d" % i, center)
                if obj is not None:
                    collection.objects.link(obj)
                    made.append(obj)
        if left_out:
            self.report({"WARNING"}, "%s: %s left out (indices outside their lists or "
                                     "repeated corners)" % (path, _count(left_out, "face")))
        self.report({"INFO"}, "%s: %s" % (os.path.basename(path),
                                          _count(len(scene.meshes), "mesh", "meshes")))
        return made


def _count(n, one, many=None):
    return "%d %s" % (n, one if n == 1 else (many or one + "s"))


def _in_blenders_words(message):
    """The plug-in's hint names the command line's switch; here it is the
    file browser's option."""
    return message.replace("(korvan import --grammar povray)",
                           "(Grammar: POV-Ray, in the file browser's options)")


def menu_import(self, context):
    self.layout.operator(ImportPovGeometry.bl_idname, text="POV-Ray geometry (.pov, .inc)")


def register():
    bpy.utils.register_class(ImportPovGeometry)
    bpy.types.TOPBAR_MT_file_import.append(menu_import)


def unregister():
    bpy.types.TOPBAR_MT_file_import.remove(menu_import)
    bpy.utils.unregister_class(ImportPovGeometry)

"""POV-Ray scene files as numpy arrays, read by the tarvo_in plug-in.

    import korvan
    scene = korvan.read("model.pov", grammar="povray")
    for mesh in scene.meshes:
        print(mesh.name, mesh.positions.shape, mesh.faces.shape)

A thin layer over the host library's C interface (korvan/korvan_c.h)
through ctypes. Arrays are the scene's own memory where the layout allows
(positions, normals, uv, triangle faces, material ids): they stay valid as
long as any of them, or the scene, is alive. Coordinates are POV-Ray's
(left-handed, y up), as the file writes them. One import at a time.
"""
import ctypes
import os

import numpy

__all__ = ["read", "Scene", "Mesh", "Material", "Camera", "Light", "KorvanError"]


class KorvanError(RuntimeError):
    """The host library or the plug-in cannot be found or loaded."""


def _library_folder():
    """The folder of libkorvan.so and the plug-in: $KORVAN_LIB_DIR, beside
    this package (installed: lib/), or the build tree (build/release/bin)."""
    here = os.path.dirname(os.path.abspath(__file__))
    candidates = [os.environ.get("KORVAN_LIB_DIR"),
                  os.path.join(here, "lib"),
                  os.path.join(here, os.pardir, "bin"),  # build/release/korvan
                  os.path.join(here, os.pardir, os.pardir, "build", "release", "bin")]
    for folder in candidates:
        if folder and os.path.exists(os.path.join(folder, "libkorvan.so")):
            return os.path.abspath(folder)
    raise KorvanError("libkorvan.so not found (looked in %s); build the project or set "
                      "KORVAN_LIB_DIR" % ", ".join(c for c in candidates if c))


class _Options(ctypes.Structure):
    _fields_ = [("plugin_dir", ctypes.c_char_p), ("grammar", ctypes.c_char_p),
                ("log_path", ctypes.c_char_p), ("include_path", ctypes.c_char_p),
                ("place_objects", ctypes.c_int),
                ("cancel", ctypes.POINTER(ctypes.c_int)), ("time_limit", ctypes.c_double)]


class _MeshInfo(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p),
                ("vertices", ctypes.c_int64), ("faces", ctypes.c_int64),
                ("normals", ctypes.c_int64), ("normal_faces", ctypes.c_int64),
                ("uvs", ctypes.c_int64), ("uv_faces", ctypes.c_int64),
                ("corners", ctypes.c_int64 * 3),
                ("triangles_only", ctypes.c_int), ("materials", ctypes.c_int)]


_C_VERSION = 2
_lib = None
_folder = None


def _load():
    global _lib, _folder
    if _lib is not None:
        return _lib
    _folder = _library_folder()
    try:
        lib = ctypes.CDLL(os.path.join(_folder, "libkorvan.so"))
    except OSError as e:
        raise KorvanError(str(e)) from e
    scene_p = ctypes.c_void_p
    double_p = ctypes.POINTER(ctypes.c_double)
    int32_p = ctypes.POINTER(ctypes.c_int32)
    signatures = {
        "korvan_c_version": (ctypes.c_int, []),
        "korvan_import": (scene_p, [ctypes.c_char_p, ctypes.POINTER(_Options)]),
        "korvan_scene_free": (None, [scene_p]),
        "korvan_scene_status": (ctypes.c_int, [scene_p]),
        "korvan_scene_outcome": (ctypes.c_char_p, [scene_p]),
        "korvan_scene_message_count": (ctypes.c_int, [scene_p]),
        "korvan_scene_message": (ctypes.c_char_p, [scene_p, ctypes.c_int]),
        "korvan_scene_material_count": (ctypes.c_int, [scene_p]),
        "korvan_scene_material_name": (ctypes.c_char_p, [scene_p, ctypes.c_int]),
        "korvan_scene_material_color": (ctypes.c_int, [scene_p, ctypes.c_int,
                                                       ctypes.POINTER(ctypes.c_float)]),
        "korvan_scene_material_finish": (ctypes.c_int, [scene_p, ctypes.c_int,
                                                        ctypes.POINTER(ctypes.c_float),
                                                        ctypes.POINTER(ctypes.c_float)]),
        "korvan_scene_camera_count": (ctypes.c_int, [scene_p]),
        "korvan_scene_camera": (ctypes.c_int, [scene_p, ctypes.c_int, double_p, double_p,
                                               double_p, double_p, ctypes.POINTER(ctypes.c_int)]),
        "korvan_scene_light_count": (ctypes.c_int, [scene_p]),
        "korvan_scene_light": (ctypes.c_int, [scene_p, ctypes.c_int, double_p, double_p]),
        "korvan_scene_mesh_count": (ctypes.c_int, [scene_p]),
        "korvan_mesh_get_info": (ctypes.c_int, [scene_p, ctypes.c_int,
                                                ctypes.POINTER(_MeshInfo)]),
        "korvan_mesh_positions": (ctypes.c_void_p, [scene_p, ctypes.c_int]),
        "korvan_mesh_normals": (ctypes.c_void_p, [scene_p, ctypes.c_int]),
        "korvan_mesh_uvs": (ctypes.c_void_p, [scene_p, ctypes.c_int]),
        "korvan_mesh_faces": (ctypes.c_void_p, [scene_p, ctypes.c_int, ctypes.c_int]),
        "korvan_mesh_copy_faces": (ctypes.c_int, [scene_p, ctypes.c_int, ctypes.c_int,
                                                  int32_p, int32_p]),
        "korvan_mesh_material_ids": (ctypes.c_void_p, [scene_p, ctypes.c_int]),
        "korvan_mesh_material_name": (ctypes.c_char_p, [scene_p, ctypes.c_int, ctypes.c_int]),
    }
    for name, (restype, argtypes) in signatures.items():
        function = getattr(lib, name)
        function.restype, function.argtypes = restype, argtypes
    if lib.korvan_c_version() != _C_VERSION:
        raise KorvanError("libkorvan.so has C interface %d, this package wants %d"
                          % (lib.korvan_c_version(), _C_VERSION))
    _lib = lib
    return lib


def _text(raw):
    return raw.decode("utf-8", "surrogateescape") if raw is not None else ""


class _Handle:
    """Owns a C scene; freed when the last array or object that needs it goes."""

    def __init__(self, lib, pointer):
        self.lib, self.pointer = lib, pointer

    def __del__(self):
        if self.pointer:
            self.lib.korvan_scene_free(self.pointer)
            self.pointer = None


def _view(handle, address, count, width, ctype, dtype):
    """count x width values at `address` owned by `handle`, without a copy."""
    if not address or count == 0:
        return numpy.zeros((0, width), dtype=dtype)
    block = (ctype * (count * width)).from_address(address)
    block._owner = handle  # keeps the scene alive as long as the array
    array = numpy.frombuffer(block, dtype=dtype).reshape(count, width)
    array.flags.writeable = False
    return array


class Material:
    def __init__(self, name, color, finish=None):
        self.name = name
        self.color = color  # (r, g, b, a) linear, or None when the file gives none
        self.finish = finish  # (metallic, roughness), or None when the file gives none

    def __repr__(self):
        return "Material(%r, %r, %r)" % (self.name, self.color, self.finish)


class Camera:
    def __init__(self, location, look_at, sky, angle, from_file):
        self.location, self.look_at, self.sky = location, look_at, sky
        self.angle = angle  # horizontal field of view in degrees, 0 when not given
        self.from_file = from_file  # False for the host's default camera


class Light:
    def __init__(self, location, color):
        self.location, self.color = location, color


class Mesh:
    """One mesh: positions (n x 3 float64), faces (m x 3 int32) with a
    material id each into `materials`, and when the file gives them normals
    and uv with faces of their own (normal_faces[i] belongs to faces[i])."""

    def __init__(self, handle, index):
        lib, pointer = handle.lib, handle.pointer
        info = _MeshInfo()
        lib.korvan_mesh_get_info(pointer, index, ctypes.byref(info))
        self.name = _text(info.name)
        self.positions = _view(handle, lib.korvan_mesh_positions(pointer, index), info.vertices,
                               3, ctypes.c_double, numpy.float64)
        self.normals = _view(handle, lib.korvan_mesh_normals(pointer, index), info.normals, 3,
                             ctypes.c_double, numpy.float64)
        # The host keeps uv as 3 values (u, v, 0): the first two are the uv.
        self.uv = _view(handle, lib.korvan_mesh_uvs(pointer, index), info.uvs, 3,
                        ctypes.c_double, numpy.float64)[:, :2]
        self.faces = self._faces(handle, index, info, 0, info.faces)
        self.normal_faces = self._faces(handle, index, info, 1, info.normal_faces)
        self.uv_faces = self._faces(handle, index, info, 2, info.uv_faces)
        self.material_ids = _view(handle, lib.korvan_mesh_material_ids(pointer, index),
                                  info.faces, 1, ctypes.c_int32, numpy.int32).reshape(-1)
        self.materials = [_text(lib.korvan_mesh_material_name(pointer, index, i))
                          for i in range(info.materials)]

    @staticmethod
    def _faces(handle, index, info, channel, count):
        if count == 0:
            return numpy.zeros((0, 3), dtype=numpy.int32)
        if info.triangles_only:
            return _view(handle, handle.lib.korvan_mesh_faces(handle.pointer, index, channel),
                         count, 3, ctypes.c_int32, numpy.int32)
        # Polygons: a list of index arrays, one per face.
        corners = numpy.empty(info.corners[channel], dtype=numpy.int32)
        sizes = numpy.empty(count, dtype=numpy.int32)
        handle.lib.korvan_mesh_copy_faces(
            handle.pointer, index, channel,
            corners.ctypes.data_as(ctypes.POINTER(ctypes.c_int32)),
            sizes.ctypes.data_as(ctypes.POINTER(ctypes.c_int32)))
        return numpy.split(corners, numpy.cumsum(sizes)[:-1])

    def __repr__(self):
        return "Mesh(%r, %d vertices, %d faces)" % (self.name, len(self.positions),
                                                     len(self.faces))


class Scene:
    """What one import gave: `status` as the command line's exit status (0
    read, 1 nothing read, 2 read up to a syntax error), `outcome` (the log's
    last line, or why nothing was read), `messages` (errors with their file
    and line), meshes, materials, cameras and lights."""

    def __init__(self, path, handle):
        lib, pointer = handle.lib, handle.pointer
        self.path = path
        self.status = lib.korvan_scene_status(pointer)
        self.outcome = _text(lib.korvan_scene_outcome(pointer))
        self.messages = [_text(lib.korvan_scene_message(pointer, i))
                         for i in range(lib.korvan_scene_message_count(pointer))]
        self.meshes = [Mesh(handle, i) for i in range(lib.korvan_scene_mesh_count(pointer))]
        self.materials = []
        for i in range(lib.korvan_scene_material_count(pointer)):
            rgba = (ctypes.c_float * 4)()
            has = lib.korvan_scene_material_color(pointer, i, rgba)
            metallic, roughness = ctypes.c_float(), ctypes.c_float()
            finish = lib.korvan_scene_material_finish(pointer, i, ctypes.byref(metallic),
                                                      ctypes.byref(roughness))
            self.materials.append(Material(_text(lib.korvan_scene_material_name(pointer, i)),
                                           tuple(rgba) if has else None,
                                           (metallic.value, roughness.value) if finish else None))
        self.cameras, self.lights = [], []
        for i in range(lib.korvan_scene_camera_count(pointer)):
            v = [(ctypes.c_double * 3)() for _ in range(3)]
            angle, from_file = ctypes.c_double(), ctypes.c_int()
            lib.korvan_scene_camera(pointer, i, v[0], v[1], v[2], ctypes.byref(angle),
                                    ctypes.byref(from_file))
            self.cameras.append(Camera(*[tuple(x) for x in v], angle.value,
                                       bool(from_file.value)))
        for i in range(lib.korvan_scene_light_count(pointer)):
            at, color = (ctypes.c_double * 3)(), (ctypes.c_double * 3)()
            lib.korvan_scene_light(pointer, i, at, color)
            self.lights.append(Light(tuple(at), tuple(color)))

    def to_trimesh(self):
        """The scene as a trimesh.Scene (needs the trimesh package): one
        geometry per mesh, named after it, in POV-Ray's coordinates."""
        import trimesh  # optional: only this method needs it

        out = trimesh.Scene()
        for mesh in self.meshes:
            if len(mesh.faces) and isinstance(mesh.faces, numpy.ndarray):
                out.add_geometry(trimesh.Trimesh(vertices=mesh.positions, faces=mesh.faces,
                                                 process=False),
                                 geom_name=mesh.name)
        return out

    def __repr__(self):
        vertices = sum(len(m.positions) for m in self.meshes)
        faces = sum(len(m.faces) for m in self.meshes)
        return ("Scene(%r: status %d, %d meshes, %d vertices, %d faces, %d materials)"
                % (self.path, self.status, len(self.meshes), vertices, faces,
                   len(self.materials)))


def read(path, grammar=None, place_objects=None, include_path=None, log=None,
         plugin_dir=None):
    """Imports the POV-Ray scene file at `path` and answers its Scene.

    grammar: "literal" (the documented grammar) or "povray" (as POV-Ray reads
    files); place_objects: True/False (the povray grammar); include_path: a
    folder or a list of folders searched by #include; log: write the
    plug-in's detailed log to this file. None keeps the stored setting.
    Bad input never raises: see the scene's status and messages."""
    lib = _load()
    if grammar is not None and grammar not in ("literal", "povray"):
        raise ValueError("grammar must be 'literal' or 'povray', not %r" % (grammar,))
    if isinstance(include_path, (list, tuple)):
        include_path = ":".join(os.fspath(p) for p in include_path)

    def encoded(value):
        return os.fsencode(value) if value is not None else None

    options = _Options(encoded(plugin_dir if plugin_dir is not None else _folder),
                       encoded(grammar), encoded(log), encoded(include_path),
                       -1 if place_objects is None else int(bool(place_objects)))
    pointer = lib.korvan_import(os.fsencode(path), ctypes.byref(options))
    if not pointer:
        raise MemoryError("korvan: no memory for the import of %s" % (path,))
    return Scene(os.fspath(path), _Handle(lib, pointer))

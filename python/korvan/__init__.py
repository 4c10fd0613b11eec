"""POV-Ray scene files as numpy arrays, read by the tarvo_in plug-in.

    import korvan
    scene = korvan.read("model.pov")
    for mesh in scene.meshes:
        print(mesh.name, mesh.positions.shape, mesh.faces.shape)

A thin layer over the host library's C interface (korvan/korvan_c.h)
through ctypes. Files are read in POV-Ray's own syntax unless
``grammar="literal"`` asks for the documented grammar. Arrays are the
scene's own memory where the layout allows (positions, normals, uv,
triangle faces, material ids): they stay valid as long as any of them, or
the scene, is alive. Coordinates are POV-Ray's (left-handed, y up), as the
file writes them.

Threads: ``read`` may be called from any thread. Imports run one at a time
per process (the host library serialises them with a lock); ctypes releases
the GIL while a call waits for that lock and while it reads, so other Python
threads run meanwhile. A ``Cancel`` set from another thread ends the import
under way.

The library is looked for in $KORVAN_LIB_DIR, in ``lib/`` beside this
package (a bundled copy), where ``cmake --install`` put it, in a build tree,
and last by the system's loader (``libkorvan.so.1``, as the Debian package
installs it).
"""
from __future__ import annotations

import ctypes
import math
import os
import threading
from dataclasses import dataclass
from typing import List, Optional, Sequence, Tuple, Union

try:
    import numpy
except ImportError as e:  # another python3 than the one the package was installed for
    raise ImportError("korvan needs numpy, which %s does not have: `pip install numpy`, or "
                      "use the Python korvan was installed for (Debian's: /usr/bin/python3)"
                      % __import__("sys").executable) from e

__version__ = "1.0.0"
__all__ = ["read", "Scene", "Mesh", "Material", "Camera", "Light", "Cancel", "KorvanError",
           "SyntaxError", "__version__"]

PathLike = Union[str, "os.PathLike[str]"]
Vector = Tuple[float, float, float]

_LIBRARY = "libkorvan.so.1"
_PLUGIN = "tarvo_in.so"
_GRAMMARS = ("literal", "povray")


class KorvanError(RuntimeError):
    """The host library or the plug-in cannot be found, loaded or used, or
    the library is not the version this package needs."""


class SyntaxError(KorvanError):  # noqa: A001 - korvan.SyntaxError by design
    """Raised by ``read(..., strict=True)`` for a file read only up to a
    syntax error. ``scene`` holds what was read; ``messages`` the errors
    with their file, line and column."""

    def __init__(self, scene: "Scene"):
        self.scene = scene
        self.messages = list(scene.messages)
        first = next((m for m in scene.messages if ": error: " in m), None)
        super().__init__(first or "%s: %s" % (scene.path, scene.outcome.strip()))


class Cancel:
    """A flag that ends an import under way when set, from any thread:

        cancel = korvan.Cancel()
        threading.Timer(2.0, cancel.set).start()
        scene = korvan.read("big.pov", cancel=cancel)

    It stays set: use a new one for each import to be cancelled."""

    def __init__(self) -> None:
        self._flag = ctypes.c_int(0)

    def set(self) -> None:
        """Asks the import under way (or the next one given this flag) to end."""
        self._flag.value = 1

    def is_set(self) -> bool:
        return bool(self._flag.value)

    def __repr__(self) -> str:
        return "Cancel(set=%r)" % (self.is_set(),)


def _candidate_folders() -> List[str]:
    """Where libkorvan.so.1 may lie, in order; the system's loader comes after."""
    here = os.path.dirname(os.path.abspath(__file__))
    folders = [os.environ.get("KORVAN_LIB_DIR"), os.path.join(here, "lib")]
    try:  # written by `cmake --install`: the library relative to this package
        from . import _installed
        folders.append(os.path.normpath(os.path.join(here, _installed.LIBRARY_DIR)))
    except ImportError:
        pass
    folders += [os.path.join(here, os.pardir, "bin"),  # build/release/korvan
                os.path.join(here, os.pardir, os.pardir, "build", "release", "bin")]
    return [f for f in folders if f]


class _Options(ctypes.Structure):
    _fields_ = [("plugin_dir", ctypes.c_char_p), ("grammar", ctypes.c_char_p),
                ("log_path", ctypes.c_char_p), ("include_path", ctypes.c_char_p),
                ("place_objects", ctypes.c_int),
                # Interface version 2 and later:
                ("cancel", ctypes.POINTER(ctypes.c_int)), ("time_limit", ctypes.c_double),
                # Interface version 3 and later:
                ("clock", ctypes.c_double), ("frame", ctypes.c_int),
                ("shapes", ctypes.c_int), ("tolerance", ctypes.c_double)]


class _MeshInfo(ctypes.Structure):
    _fields_ = [("name", ctypes.c_char_p),
                ("vertices", ctypes.c_int64), ("faces", ctypes.c_int64),
                ("normals", ctypes.c_int64), ("normal_faces", ctypes.c_int64),
                ("uvs", ctypes.c_int64), ("uv_faces", ctypes.c_int64),
                ("corners", ctypes.c_int64 * 3),
                ("triangles_only", ctypes.c_int), ("materials", ctypes.c_int)]


# The C interface versions this package can use; cancel and time_limit
# need 2, clock and frame 3.
_C_VERSIONS = (1, 2, 3)
# Functions of later interface versions, looked for only when present.
_LATER_FUNCTIONS = ("korvan_import_sized",)
_lock = threading.Lock()
_lib = None
_version = 0
_plugin_dir: Optional[str] = None


def _open_library():
    """The loaded library and the plug-in folder to hand it (None: the
    library's own, lib/korvan/plugins)."""
    tried = []
    for folder in _candidate_folders():
        for name in (_LIBRARY, "libkorvan.so"):
            path = os.path.join(folder, name)
            if os.path.exists(path):
                try:
                    lib = ctypes.CDLL(os.path.abspath(path))
                except OSError as e:
                    raise KorvanError(str(e)) from e
                plugins = os.path.abspath(folder)
                has_plugin = os.path.exists(os.path.join(plugins, _PLUGIN))
                return lib, plugins if has_plugin else None
        tried.append(folder)
    try:
        return ctypes.CDLL(_LIBRARY), None
    except OSError:
        raise KorvanError("%s not found (looked in %s, then the system's library path); "
                          "install korvan, build the project or set KORVAN_LIB_DIR"
                          % (_LIBRARY, ", ".join(tried))) from None


def _load():
    global _lib, _version, _plugin_dir
    with _lock:
        if _lib is not None:
            return _lib
        lib, plugin_dir = _open_library()
        _declare(lib)
        version = lib.korvan_c_version()
        if version not in _C_VERSIONS:
            raise KorvanError("%s has C interface %d; korvan %s uses interfaces %s"
                              % (lib._name, version, __version__,
                                 " and ".join(map(str, _C_VERSIONS))))
        _lib, _version, _plugin_dir = lib, version, plugin_dir
        return lib


def _declare(lib) -> None:
    scene_p = ctypes.c_void_p
    double_p = ctypes.POINTER(ctypes.c_double)
    int32_p = ctypes.POINTER(ctypes.c_int32)
    float_p = ctypes.POINTER(ctypes.c_float)
    signatures = {
        "korvan_c_version": (ctypes.c_int, []),
        "korvan_import": (scene_p, [ctypes.c_char_p, ctypes.POINTER(_Options)]),
        "korvan_import_sized": (scene_p, [ctypes.c_char_p, ctypes.POINTER(_Options),
                                          ctypes.c_size_t]),
        "korvan_scene_free": (None, [scene_p]),
        "korvan_scene_status": (ctypes.c_int, [scene_p]),
        "korvan_scene_outcome": (ctypes.c_char_p, [scene_p]),
        "korvan_scene_message_count": (ctypes.c_int, [scene_p]),
        "korvan_scene_message": (ctypes.c_char_p, [scene_p, ctypes.c_int]),
        "korvan_scene_material_count": (ctypes.c_int, [scene_p]),
        "korvan_scene_material_name": (ctypes.c_char_p, [scene_p, ctypes.c_int]),
        "korvan_scene_material_color": (ctypes.c_int, [scene_p, ctypes.c_int, float_p]),
        "korvan_scene_material_finish": (ctypes.c_int, [scene_p, ctypes.c_int, float_p,
                                                        float_p]),
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
        try:
            function = getattr(lib, name)
        except AttributeError:
            if name in _LATER_FUNCTIONS:
                continue
            raise KorvanError("%s lacks %s: not the korvan host library" % (lib._name, name)) \
                from None
        function.restype, function.argtypes = restype, argtypes


def _text(raw: Optional[bytes]) -> str:
    return raw.decode("utf-8", "surrogateescape") if raw is not None else ""


def _float32(values) -> Tuple[float, ...]:
    """float32 values as the Python floats they spell: 0.8, not 0.800000011920929."""
    return tuple(float(str(numpy.float32(v))) for v in values)


class _Handle:
    """Owns a C scene; freed when the last array or object that needs it goes."""

    def __init__(self, lib, pointer):
        self.lib, self.pointer = lib, pointer

    def __del__(self):
        if self.pointer:
            self.lib.korvan_scene_free(self.pointer)
            self.pointer = None


def _view(handle, address, count, width, ctype, dtype) -> numpy.ndarray:
    """count x width values at `address` owned by `handle`, without a copy."""
    if not address or count == 0:
        return numpy.zeros((0, width), dtype=dtype)
    block = (ctype * (count * width)).from_address(address)
    block._owner = handle  # keeps the scene alive as long as the array
    array = numpy.frombuffer(block, dtype=dtype).reshape(count, width)
    array.flags.writeable = False
    return array


@dataclass(frozen=True)
class Material:
    """A material of the scene.

    name: as the file names it (a declared texture's identifier) or as the
    host names it (``mat_1``, ...); color: linear (r, g, b, a) with a = 1 -
    transmit, or None when the file gives no colour; finish: (metallic,
    roughness), each 0..1, or None when the file gives none. Values are
    float32 in the host, given here as the shortest floats that spell them."""

    name: str
    color: Optional[Tuple[float, float, float, float]] = None
    finish: Optional[Tuple[float, float]] = None


@dataclass(frozen=True)
class Camera:
    """A camera in POV-Ray's coordinates.

    location, look_at, sky: 3-tuples; angle: horizontal field of view in
    degrees, 0 when the file gives none; from_file: False for the host's
    default camera, which a scene has when its file places none."""

    location: Vector
    look_at: Vector
    sky: Vector
    angle: float
    from_file: bool


@dataclass(frozen=True)
class Light:
    """A point light in POV-Ray's coordinates: location and its (r, g, b)
    colour as the file gives it (POV-Ray's lights do not fade with distance).
    A scene whose file places no light has the host's default one."""

    location: Vector
    color: Vector


class Mesh:
    """One mesh of the scene.

    name: str; positions: n x 3 float64; faces: m x 3 int32 (a list of
    int32 arrays, one per face, when some face is not a triangle);
    material_ids: m int32, one per face, into ``materials`` (names of
    ``Scene.materials``); normals and normal_faces, uv (k x 2) and
    uv_faces when the file gives them (normal_faces[i] belongs to faces[i]),
    else empty. Indices are as the file writes them: check them against the
    counts before use. The arrays are read-only views of the scene."""

    name: str
    positions: numpy.ndarray
    normals: numpy.ndarray
    uv: numpy.ndarray
    faces: Union[numpy.ndarray, List[numpy.ndarray]]
    normal_faces: Union[numpy.ndarray, List[numpy.ndarray]]
    uv_faces: Union[numpy.ndarray, List[numpy.ndarray]]
    material_ids: numpy.ndarray
    materials: List[str]

    def __init__(self, handle: _Handle, index: int):
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

    def __repr__(self) -> str:
        return "Mesh(%r, %s, %s)" % (self.name, _count(len(self.positions), "vertex", "vertices"),
                                     _count(len(self.faces), "face"))


def _count(n: int, one: str, many: Optional[str] = None) -> str:
    return "%d %s" % (n, one if n == 1 else (many or one + "s"))


class Scene:
    """What one import gave.

    status: as the command line's exit status, 0 read to the end or 2 read
    up to a syntax error (``read`` raises for the rest); outcome: the log's
    last line; messages: errors and warnings as "FILE:LINE:COLUMN: error:
    ..."; meshes; materials: those the meshes use (the host's default
    material only when a mesh has no material of its own); cameras and
    lights: the file's, else the host's default camera and light."""

    path: str
    status: int
    outcome: str
    messages: List[str]
    meshes: List[Mesh]
    materials: List[Material]
    cameras: List[Camera]
    lights: List[Light]

    def __init__(self, path: str, handle: _Handle):
        lib, pointer = handle.lib, handle.pointer
        self.path = path
        self.status = lib.korvan_scene_status(pointer)
        self.outcome = _text(lib.korvan_scene_outcome(pointer))
        self.messages = [_text(lib.korvan_scene_message(pointer, i))
                         for i in range(lib.korvan_scene_message_count(pointer))]
        self.meshes = [Mesh(handle, i) for i in range(lib.korvan_scene_mesh_count(pointer))]
        used = {name for mesh in self.meshes for name in mesh.materials}
        self.materials = []
        for i in range(lib.korvan_scene_material_count(pointer)):
            name = _text(lib.korvan_scene_material_name(pointer, i))
            if name not in used:
                continue
            rgba = (ctypes.c_float * 4)()
            has = lib.korvan_scene_material_color(pointer, i, rgba)
            metallic, roughness = ctypes.c_float(), ctypes.c_float()
            finish = lib.korvan_scene_material_finish(pointer, i, ctypes.byref(metallic),
                                                      ctypes.byref(roughness))
            self.materials.append(Material(
                name, _float32(rgba) if has else None,
                _float32((metallic.value, roughness.value)) if finish else None))
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

    def __repr__(self) -> str:
        vertices = sum(len(m.positions) for m in self.meshes)
        faces = sum(len(m.faces) for m in self.meshes)
        return "Scene(%r: status %d, %s, %s, %s, %s)" % (
            self.path, self.status, _count(len(self.meshes), "mesh", "meshes"),
            _count(vertices, "vertex", "vertices"), _count(faces, "face"),
            _count(len(self.materials), "material"))


def _folders(include_path) -> Optional[str]:
    if include_path is None:
        return None
    if isinstance(include_path, (str, bytes, os.PathLike)):
        include_path = [include_path]
    if not isinstance(include_path, (list, tuple)):
        raise TypeError("include_path must be a folder or a list of folders, not %s"
                        % type(include_path).__name__)
    folders = [os.fsdecode(os.fspath(p)) for p in include_path]
    for folder in folders:
        if ":" in folder or not folder:
            raise ValueError("include_path: %r cannot be a folder of the search path (empty, "
                             "or holds ':')" % (folder,))
    return ":".join(folders)


def read(path: PathLike, grammar: str = "povray", place_objects: Optional[bool] = None,
         include_path: Union[None, PathLike, Sequence[PathLike]] = None,
         log: Optional[PathLike] = None, plugin_dir: Optional[PathLike] = None,
         strict: bool = False, timeout: Optional[float] = None,
         cancel: Optional[Cancel] = None, clock: Optional[float] = None,
         frame: Optional[int] = None, shapes: Optional[bool] = None,
         tolerance: Optional[float] = None) -> Scene:
    """Imports the POV-Ray scene file at `path` and answers its Scene.

    grammar: "povray" (the default: the file as POV-Ray reads it) or
    "literal" (the documented grammar only); place_objects: True or False
    (the povray grammar: import what the file places, where it places it;
    None: the stored setting, on unless changed); include_path: a folder or
    a list of folders searched by #include after the file's own; log: write
    the plug-in's detailed log to this file; plugin_dir: where the plug-in
    lies (None: beside the library, or the installed plug-in folder).

    A file read up to a syntax error gives its scene with status 2 and the
    errors in ``messages``; with ``strict=True`` it raises korvan.SyntaxError
    (whose ``scene`` holds what was read). timeout: seconds after which the
    import ends; cancel: a korvan.Cancel whose ``set()``, from any thread,
    ends it (both need the host library's C interface 2). An import that
    ends so gives what was read before, as its status and outcome say.
    clock and frame: read the scene as that frame of its animation (clock
    from 0 to 1, frames from 1; C interface 3); None: as a still image,
    whose clock words are 0. shapes: POV-Ray's other shapes and CSG as
    meshes (True) or passed over (False); tolerance: their chord error
    relative to each curved part's radius, above 0 and at most 0.5 (both
    C interface 3; None: the stored settings, shapes on at 0.005).

    Imports run one at a time per process (a lock in the host library); the
    GIL is released while waiting for it and while reading.

    Raises FileNotFoundError, IsADirectoryError or PermissionError for a
    file that cannot be opened; ValueError or TypeError for option values
    that are not allowed (``place_objects='yes'``); KorvanError when the
    library or the plug-in cannot be used."""
    if grammar not in _GRAMMARS:
        raise ValueError("grammar must be 'literal' or 'povray', not %r" % (grammar,))
    if place_objects is not None and not isinstance(place_objects, (bool, numpy.bool_)):
        raise ValueError("place_objects must be True, False or None, not %r" % (place_objects,))
    if not isinstance(strict, (bool, numpy.bool_)):
        raise ValueError("strict must be True or False, not %r" % (strict,))
    if timeout is not None:
        if isinstance(timeout, bool) or not isinstance(timeout, (int, float)) \
                or math.isnan(timeout) or timeout <= 0:
            raise ValueError("timeout must be a number of seconds above 0, or None, not %r"
                             % (timeout,))
    if clock is not None and (isinstance(clock, bool) or not isinstance(clock, (int, float))
                              or not math.isfinite(clock)):
        raise ValueError("clock must be a finite number or None, not %r" % (clock,))
    if frame is not None and (isinstance(frame, bool) or not isinstance(frame, int)
                              or not 1 <= frame <= 2**31 - 1):
        raise ValueError("frame must be a whole number from 1, or None, not %r" % (frame,))
    if shapes is not None and not isinstance(shapes, (bool, numpy.bool_)):
        raise ValueError("shapes must be True, False or None, not %r" % (shapes,))
    if tolerance is not None and (isinstance(tolerance, bool)
                                  or not isinstance(tolerance, (int, float))
                                  or not 0 < tolerance <= 0.5):
        raise ValueError("tolerance must be a number above 0 and at most 0.5, or None, not %r"
                         % (tolerance,))
    if cancel is not None and not isinstance(cancel, Cancel):
        raise TypeError("cancel must be a korvan.Cancel, not %s" % type(cancel).__name__)
    folders = _folders(include_path)
    path = os.fspath(path)
    with open(path, "rb"):  # FileNotFoundError, IsADirectoryError, PermissionError
        pass
    lib = _load()
    if (timeout is not None or cancel is not None) and _version < 2:
        raise KorvanError("timeout and cancel need the host library's C interface 2; %s has %d"
                          % (lib._name, _version))
    if (clock is not None or frame is not None or shapes is not None
            or tolerance is not None) and _version < 3:
        raise KorvanError("clock, frame, shapes and tolerance need the host library's "
                          "C interface 3; %s has %d" % (lib._name, _version))

    def encoded(value):
        return os.fsencode(value) if value is not None else None

    options = _Options(encoded(plugin_dir if plugin_dir is not None else _plugin_dir),
                       encoded(grammar), encoded(log), encoded(folders),
                       -1 if place_objects is None else int(bool(place_objects)),
                       ctypes.pointer(cancel._flag) if cancel is not None else None,
                       float(timeout) if timeout is not None else 0.0,
                       float(clock) if clock is not None else math.nan,
                       int(frame) if frame is not None else 0,
                       -1 if shapes is None else int(bool(shapes)),
                       float(tolerance) if tolerance is not None else 0.0)
    if _version >= 3:
        pointer = lib.korvan_import_sized(os.fsencode(path), ctypes.byref(options),
                                          ctypes.sizeof(options))
    else:
        pointer = lib.korvan_import(os.fsencode(path), ctypes.byref(options))
    if not pointer:
        raise MemoryError("korvan: no memory for the import of %s" % (path,))
    scene = Scene(os.fsdecode(path), _Handle(lib, pointer))
    if scene.status == 1:
        raise KorvanError("%s: %s" % (scene.path, scene.outcome.strip()))
    if strict and scene.status == 2:
        raise SyntaxError(scene)
    return scene

"""The korvan Python package against the command line's JSON export of the
same files (the same import, written by the host), and on bad input."""
import gc
import json
import os
import re
import subprocess
import sys
import threading
import time
import types

import numpy
import pytest

import korvan

SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), os.pardir, os.pardir))
KORVAN = os.environ.get("KORVAN_PROGRAM", os.path.join(SOURCE, "build", "release", "bin", "korvan"))
EXAMPLES = os.path.join(SOURCE, "examples")
POVRAY = os.path.join(SOURCE, "tests", "povray")


def exported(path, tmp_path, *args):
    out = tmp_path / (os.path.basename(path) + ".json")
    subprocess.run([KORVAN, "import", "--no-progress", path, "-o", str(out), *args],
                   capture_output=True, check=False)
    return json.loads(out.read_text())


LITERAL = ({"grammar": "literal"}, ["--grammar", "literal"])
CASES = [
    (os.path.join(EXAMPLES, "cube.pov"), *LITERAL),
    (os.path.join(EXAMPLES, "mesh_blocks.pov"), *LITERAL),
    (os.path.join(EXAMPLES, "triangles.pov"), *LITERAL),
    (os.path.join(EXAMPLES, "quad.inc"), *LITERAL),
    (os.path.join(EXAMPLES, "broken.pov"), *LITERAL),
    # Both read in POV-Ray's syntax when nothing says otherwise.
    (os.path.join(EXAMPLES, "cube.pov"), {}, []),
    (os.path.join(EXAMPLES, "placed_model.pov"), {}, []),
    (os.path.join(EXAMPLES, "placed_model.pov"), {"grammar": "povray"}, ["--grammar", "povray"]),
    (os.path.join(POVRAY, "placed.pov"), {"grammar": "povray", "place_objects": False},
     ["--grammar", "povray", "--no-place"]),
    (os.path.join(POVRAY, "mesh_textures.pov"), {"grammar": "povray"}, ["--grammar", "povray"]),
    (os.path.join(POVRAY, "finishes.pov"), {"grammar": "povray"}, ["--grammar", "povray"]),
    (os.path.join(POVRAY, "include.pov"),
     {"grammar": "povray", "include_path": ["/usr/share/povray-3.7/include"]},
     ["--grammar", "povray", "--include-path", "/usr/share/povray-3.7/include"]),
]


@pytest.mark.parametrize("path,options,flags", CASES,
                         ids=["%s-%s" % (os.path.basename(c[0]), c[1].get("grammar", "default"))
                              for c in CASES])
def test_reads_what_the_json_export_writes(path, options, flags, tmp_path):
    expected = exported(path, tmp_path, *flags)
    scene = korvan.read(path, **options)
    meshes = [o for o in expected["objects"] if "faces" in o]
    assert [m.name for m in scene.meshes] == [o["name"] for o in meshes]
    for mesh, obj in zip(scene.meshes, meshes):
        assert mesh.positions.dtype == numpy.float64 and mesh.faces.dtype == numpy.int32
        numpy.testing.assert_allclose(mesh.positions, numpy.array(obj["vertices"]).reshape(-1, 3),
                                      rtol=1e-9, err_msg=mesh.name)
        faces = numpy.array(obj["faces"], dtype=numpy.int64).reshape(-1, 4)
        numpy.testing.assert_array_equal(mesh.faces, faces[:, :3], err_msg=mesh.name)
        numpy.testing.assert_array_equal(mesh.material_ids, faces[:, 3], err_msg=mesh.name)
        assert mesh.materials == obj["materials"]
        if obj["normals_used"]:
            numpy.testing.assert_allclose(mesh.normals,
                                          numpy.array(obj["nvertices"]).reshape(-1, 3))
            numpy.testing.assert_array_equal(mesh.normal_faces,
                                             numpy.array(obj["nfaces"]).reshape(-1, 3))
        else:
            assert mesh.normals.shape == (0, 3)
        if obj["uv_used"]:
            numpy.testing.assert_allclose(mesh.uv, numpy.array(obj["uvvertices"])[:, :2])
            numpy.testing.assert_array_equal(mesh.uv_faces,
                                             numpy.array(obj["uvfaces"]).reshape(-1, 3))
    # Only the materials that meshes use, in the host's order.
    used = {name for obj in meshes for name in obj["materials"]}
    assert [m.name for m in scene.materials] == [n for n in expected["materials"] if n in used]
    colors, finishes = expected.get("colors", {}), expected.get("finishes", {})
    for material in scene.materials:
        if material.name in colors:
            numpy.testing.assert_allclose(material.color, colors[material.name], atol=1e-6)
            # Each value is the float32 the host holds, spelled as shortly as it can be.
            for value in material.color:
                assert isinstance(value, float)
                assert repr(value) == str(numpy.float32(value)), material
        else:
            assert material.color is None, material.name
        if material.name in finishes:
            numpy.testing.assert_allclose(material.finish, finishes[material.name], atol=1e-6)
        else:
            assert material.finish is None, material.name
    assert len(scene.cameras) == expected["cameras"] and len(scene.lights) == expected["lights"]


def _write(path, data):
    path.write_bytes(data)
    return str(path)


UNOPENABLE = [
    ("missing", lambda tmp: str(tmp / "missing.pov"), FileNotFoundError),
    ("missing pathlib", lambda tmp: tmp / "missing.pov", FileNotFoundError),
    ("folder", lambda tmp: str(tmp), IsADirectoryError),
    ("empty path", lambda tmp: "", FileNotFoundError),
]


@pytest.mark.parametrize("label,make,error", UNOPENABLE, ids=[b[0] for b in UNOPENABLE])
def test_files_that_cannot_be_opened_raise_os_errors(label, make, error, tmp_path):
    for grammar in ("literal", "povray"):
        with pytest.raises(error):
            korvan.read(make(tmp_path), grammar=grammar)


def test_junk_gives_a_status_and_never_raises(tmp_path):
    junk = _write(tmp_path / "junk.pov", bytes(range(256)) * 64)
    for grammar in ("literal", "povray"):
        scene = korvan.read(junk, grammar=grammar)
        assert scene.status in (0, 2) and scene.outcome, grammar


def test_strict_raises_korvan_syntax_error_with_the_scene(tmp_path):
    broken = os.path.join(EXAMPLES, "broken.pov")
    assert korvan.read(broken, grammar="literal").status == 2  # not strict: the scene
    with pytest.raises(korvan.SyntaxError) as raised:
        korvan.read(broken, grammar="literal", strict=True)
    assert isinstance(raised.value, korvan.KorvanError)
    assert raised.value.scene.status == 2 and raised.value.scene.meshes
    bad = _write(tmp_path / "bad.pov", b"mesh2 {\n  vertex_vectors { 1, <0,0,0> }\n  frobnicate\n}\n")
    with pytest.raises(korvan.SyntaxError, match=re.escape(bad) + ":3:"):
        korvan.read(bad, strict=True)
    assert korvan.read(os.path.join(EXAMPLES, "cube.pov"), strict=True).status == 0


@pytest.mark.parametrize("options,error", [
    ({"place_objects": "yes"}, ValueError),
    ({"place_objects": 1}, ValueError),
    ({"grammar": "pov"}, ValueError),
    ({"grammar": None}, ValueError),
    ({"strict": "no"}, ValueError),
    ({"include_path": "a:b"}, ValueError),
    ({"include_path": 3}, TypeError),
    ({"timeout": -1}, ValueError),
    ({"timeout": float("nan")}, ValueError),
    ({"cancel": True}, TypeError),
    ({"clock": "0.5"}, ValueError),
    ({"clock": float("inf")}, ValueError),
    ({"frame": 0}, ValueError),
    ({"frame": 1.5}, ValueError),
    ({"shapes": "yes"}, ValueError),
    ({"tolerance": 0}, ValueError),
    ({"tolerance": 0.9}, ValueError),
], ids=lambda v: repr(v))
def test_wrong_option_values_raise(options, error):
    with pytest.raises(error):
        korvan.read(os.path.join(EXAMPLES, "cube.pov"), **options)


def test_reprs_and_docstrings():
    scene = korvan.read(os.path.join(EXAMPLES, "placed_model.pov"))
    assert re.fullmatch(r"Scene\('.*placed_model.pov': status 0, 5 meshes, \d+ vertices, "
                        r"\d+ faces, \d+ materials\)", repr(scene)), repr(scene)
    assert repr(scene.cameras[0]).startswith("Camera(location=(")
    assert "from_file=True" in repr(scene.cameras[0])
    assert repr(scene.lights[0]).startswith("Light(location=(")
    assert repr(scene.materials[0]).startswith("Material(name=")
    assert "0.800000011920929" not in repr(scene.materials)
    one = korvan.read(os.path.join(EXAMPLES, "cube.pov"))
    assert "1 mesh," in repr(one) and "meshes" not in repr(one)
    assert repr(one.meshes[0]) == "Mesh(%r, 8 vertices, 12 faces)" % one.meshes[0].name
    for cls in (korvan.Scene, korvan.Mesh, korvan.Material, korvan.Camera, korvan.Light,
                korvan.Cancel, korvan.KorvanError, korvan.SyntaxError, korvan.read):
        assert cls.__doc__ and len(cls.__doc__.strip()) > 40, cls


def test_the_hosts_default_material_is_left_out_when_unused():
    scene = korvan.read(os.path.join(EXAMPLES, "placed_model.pov"))
    used = {name for mesh in scene.meshes for name in mesh.materials}
    assert {m.name for m in scene.materials} == used


def test_package_metadata():
    source = open(os.path.join(SOURCE, "CMakeLists.txt")).read()
    assert korvan.__version__ == re.search(r"project\(tarvo VERSION ([0-9.]+)", source).group(1)
    package = os.path.dirname(korvan.__file__)
    assert os.path.exists(os.path.join(package, "py.typed"))
    pyproject = open(os.path.join(SOURCE, "python", "pyproject.toml")).read()
    assert re.search(r'dependencies = \["numpy', pyproject)


def _interface_2():
    korvan._load()
    return korvan._version >= 2


def test_timeout_and_cancel_need_interface_2():
    if _interface_2():
        pytest.skip("the library has C interface 2")
    cube = os.path.join(EXAMPLES, "cube.pov")
    with pytest.raises(korvan.KorvanError, match="interface 2"):
        korvan.read(cube, timeout=5)
    with pytest.raises(korvan.KorvanError, match="interface 2"):
        korvan.read(cube, cancel=korvan.Cancel())


def _slow_scene(tmp_path):
    """A scene that takes seconds in POV-Ray's syntax: 9 million loop steps."""
    return _write(tmp_path / "slow.pov", b"#declare N = 0;\n#for (I, 1, 3000)\n"
                  b"  #for (J, 1, 3000) #declare N = N + 1; #end\n#end\n"
                  b"triangle { <0,0,0>, <1,0,0>, <0,N,0> }\n")


needs_2 = pytest.mark.skipif("not _interface_2()", reason="needs the host library's C interface 2")


@needs_2
def test_a_timeout_ends_a_long_import(tmp_path):
    start = time.monotonic()
    scene = korvan.read(_slow_scene(tmp_path), timeout=0.2)
    assert time.monotonic() - start < 2.0
    assert not scene.meshes, scene


@needs_2
def test_cancel_from_another_thread_ends_the_import(tmp_path):
    cancel = korvan.Cancel()
    timer = threading.Timer(0.2, cancel.set)
    timer.start()
    start = time.monotonic()
    scene = korvan.read(_slow_scene(tmp_path), cancel=cancel)
    timer.join()
    assert cancel.is_set() and time.monotonic() - start < 2.0
    assert not scene.meshes, scene


@needs_2
def test_imports_from_several_threads_give_each_its_scene():
    paths = [os.path.join(EXAMPLES, n) for n in ("cube.pov", "placed_model.pov")] * 4
    expected = {p: len(korvan.read(p).meshes) for p in set(paths)}
    got = {}

    def one(i, path):
        got[i] = len(korvan.read(path).meshes)

    threads = [threading.Thread(target=one, args=(i, p)) for i, p in enumerate(paths)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert [got[i] for i in range(len(paths))] == [expected[p] for p in paths]


def test_syntax_errors_come_with_their_line(tmp_path):
    # The scene read up to the error comes back with its messages.
    bad = _write(tmp_path / "bad.pov", b"mesh2 {\n  vertex_vectors { 1, <0,0,0> }\n  frobnicate\n}\n")
    scene = korvan.read(bad, grammar="povray")
    assert scene.status == 2
    assert any(m.startswith(bad + ":3:") for m in scene.messages), scene.messages


def test_arrays_are_the_scenes_own_and_outlive_it():
    cube = os.path.join(EXAMPLES, "cube.pov")
    positions = korvan.read(cube, grammar="literal").meshes[0].positions
    gc.collect()  # the Scene object is gone; the array keeps the C scene
    assert positions.shape == (8, 3) and positions.sum() == 12.0
    assert not positions.flags.owndata and not positions.flags.writeable
    with pytest.raises(ValueError):
        positions[0, 0] = 1


def test_log_option_writes_the_plugins_log(tmp_path):
    log = tmp_path / "cube.log"
    korvan.read(os.path.join(EXAMPLES, "cube.pov"), log=str(log))
    assert "lines parsed" in log.read_text()


def test_to_trimesh_hands_each_mesh_over(monkeypatch):
    # trimesh is not a Debian package here: a stand-in records what it gets.
    made = []
    stand_in = types.SimpleNamespace(
        Scene=lambda: types.SimpleNamespace(
            add_geometry=lambda geometry, geom_name: made.append((geom_name, geometry))),
        Trimesh=lambda vertices, faces, process: (vertices, faces, process))
    monkeypatch.setitem(sys.modules, "trimesh", stand_in)
    scene = korvan.read(os.path.join(EXAMPLES, "mesh_blocks.pov"))
    scene.to_trimesh()
    assert [name for name, _ in made] == [m.name for m in scene.meshes]
    vertices, faces, process = made[0][1]
    assert vertices is scene.meshes[0].positions and faces is scene.meshes[0].faces
    assert process is False


def test_clock_and_frame_read_that_frame(tmp_path):
    korvan._load()
    if korvan._version < 3:
        pytest.skip("needs the host library's C interface 3")
    scene = _write(tmp_path / "frame.pov", b"triangle { <0,0,0>, <1,0,0>, <clock, frame_number, 1> }\n")
    for options, corner in [({}, (0, 0, 1)), ({"clock": 0.25, "frame": 3}, (0.25, 3, 1)),
                            ({"frame": 2}, (0, 2, 1))]:
        mesh = korvan.read(scene, place_objects=False, **options).meshes[0]
        assert tuple(mesh.positions[2]) == corner, options


def test_shapes_and_their_tolerance(tmp_path):
    korvan._load()
    if korvan._version < 3:
        pytest.skip("needs the host library's C interface 3")
    scene = _write(tmp_path / "ball.pov", b"sphere { 0, 1 }\n")
    assert korvan.read(scene, shapes=False).meshes == []
    fine = korvan.read(scene, tolerance=0.001).meshes[0]
    coarse = korvan.read(scene, tolerance=0.05).meshes[0]
    assert fine.name == "Sphere"
    assert len(fine.faces) > 4 * len(coarse.faces) > 0

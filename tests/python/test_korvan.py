"""The korvan Python package against the command line's JSON export of the
same files (the same import, written by the host), and on bad input."""
import gc
import json
import os
import subprocess
import sys
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


CASES = [
    (os.path.join(EXAMPLES, "cube.pov"), {}, []),
    (os.path.join(EXAMPLES, "mesh_blocks.pov"), {}, []),
    (os.path.join(EXAMPLES, "triangles.pov"), {}, []),
    (os.path.join(EXAMPLES, "quad.inc"), {}, []),
    (os.path.join(EXAMPLES, "broken.pov"), {}, []),
    (os.path.join(EXAMPLES, "placed_model.pov"), {"grammar": "povray"}, ["--grammar", "povray"]),
    (os.path.join(POVRAY, "placed.pov"), {"grammar": "povray", "place_objects": False},
     ["--grammar", "povray", "--no-place"]),
    (os.path.join(POVRAY, "mesh_textures.pov"), {"grammar": "povray"}, ["--grammar", "povray"]),
    (os.path.join(POVRAY, "finishes.pov"), {"grammar": "povray"}, ["--grammar", "povray"]),
    (os.path.join(POVRAY, "include.pov"),
     {"grammar": "povray", "include_path": ["/usr/share/povray-3.7/include"]},
     ["--grammar", "povray", "--include-path", "/usr/share/povray-3.7/include"]),
]


@pytest.mark.parametrize("path,options,flags", CASES, ids=[os.path.basename(c[0]) for c in CASES])
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
    assert [m.name for m in scene.materials] == expected["materials"]
    colors, finishes = expected.get("colors", {}), expected.get("finishes", {})
    for material in scene.materials:
        if material.name in colors:
            numpy.testing.assert_allclose(material.color, colors[material.name], atol=1e-6)
        else:
            assert material.color is None, material.name
        if material.name in finishes:
            numpy.testing.assert_allclose(material.finish, finishes[material.name], atol=1e-6)
        else:
            assert material.finish is None, material.name
    assert len(scene.cameras) == expected["cameras"] and len(scene.lights) == expected["lights"]


BAD = [
    ("missing", lambda tmp: str(tmp / "missing.pov"), 1, "cannot read the file"),
    ("folder", lambda tmp: str(tmp), 1, "cannot read the file"),
    ("junk", lambda tmp: _write(tmp / "junk.pov", bytes(range(256)) * 64), None, None),
    ("empty path", lambda tmp: "", 1, "no scene file given"),
]


def _write(path, data):
    path.write_bytes(data)
    return str(path)


@pytest.mark.parametrize("label,make,status,outcome", BAD, ids=[b[0] for b in BAD])
def test_bad_input_gives_a_status_and_never_raises(label, make, status, outcome, tmp_path):
    for grammar in ("literal", "povray"):
        scene = korvan.read(make(tmp_path), grammar=grammar)
        if status is not None:
            assert scene.status == status, (label, grammar, scene.outcome)
            assert outcome in scene.outcome, (label, grammar, scene.outcome)
        else:
            assert scene.status in (0, 2) and scene.outcome, (label, grammar)


def test_syntax_errors_come_with_their_line(tmp_path):
    bad = _write(tmp_path / "bad.pov", b"mesh2 {\n  vertex_vectors { 1, <0,0,0> }\n  frobnicate\n}\n")
    scene = korvan.read(bad, grammar="povray")
    assert scene.status == 2
    assert any(m.startswith(bad + ":3:") for m in scene.messages), scene.messages


def test_arrays_are_the_scenes_own_and_outlive_it():
    positions = korvan.read(os.path.join(EXAMPLES, "cube.pov")).meshes[0].positions
    gc.collect()  # the Scene object is gone; the array keeps the C scene
    assert positions.shape == (8, 3) and positions.sum() == 12.0
    assert not positions.flags.owndata and not positions.flags.writeable
    with pytest.raises(ValueError):
        positions[0, 0] = 1


def test_log_option_writes_the_plugins_log(tmp_path):
    log = tmp_path / "cube.log"
    korvan.read(os.path.join(EXAMPLES, "cube.pov"), log=str(log))
    assert "lines parsed" in log.read_text()


def test_grammar_is_checked():
    with pytest.raises(ValueError):
        korvan.read(os.path.join(EXAMPLES, "cube.pov"), grammar="pov")


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

# Run inside Blender (blender -b --factory-startup --python render_gltf.py --
# SCENE.glb OUT.png WIDTH HEIGHT): imports the glTF file with Blender's own
# importer (lights in its "Unitless" mode, as viewers without exposure
# controls take them) and renders it with Cycles from the file's first
# camera, with POV-Ray's default ambient light (0.1) and black background.
import sys

import bpy
import numpy

if not hasattr(numpy, "bool"):  # Debian's numpy 1.24 and Blender 3.4's importer
    numpy.bool = bool

path, out, width, height = sys.argv[sys.argv.index("--") + 1:]
bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.import_scene.gltf(filepath=path, convert_lighting_mode="COMPAT")
scene = bpy.context.scene
cameras = [o for o in scene.objects if o.type == "CAMERA"]
if not cameras:
    sys.exit("no camera in " + path)
scene.camera = cameras[0]
# The world lights with 0.1 and shows black to the camera.
world = scene.world = bpy.data.worlds.new("ambient")
world.use_nodes = True
nodes, links = world.node_tree.nodes, world.node_tree.links
background = nodes["Background"]
background.inputs["Color"].default_value = (0.1, 0.1, 0.1, 1)
path_info = nodes.new("ShaderNodeLightPath")
black = nodes.new("ShaderNodeBackground")
black.inputs["Color"].default_value = (0, 0, 0, 1)
mix = nodes.new("ShaderNodeMixShader")
links.new(path_info.outputs["Is Camera Ray"], mix.inputs["Fac"])
links.new(background.outputs["Background"], mix.inputs[1])
links.new(black.outputs["Background"], mix.inputs[2])
links.new(mix.outputs["Shader"], nodes["World Output"].inputs["Surface"])
scene.render.engine = "CYCLES"
scene.cycles.device = "CPU"
scene.cycles.samples = 32
scene.cycles.use_denoising = False
scene.render.resolution_x, scene.render.resolution_y = int(width), int(height)
scene.render.resolution_percentage = 100
scene.view_settings.view_transform = "Standard"  # sRGB out, as POV-Ray writes
scene.render.filepath = out
bpy.ops.render.render(write_still=True)

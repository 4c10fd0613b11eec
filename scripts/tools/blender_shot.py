# Run in Blender with a window (under Xvfb for docs/: scripts/tools/blender_shot.sh):
# blender --factory-startup --python blender_shot.py -- ZIP SCENE.pov OUT.png
# Installs the add-on of ZIP, imports SCENE with POV-Ray syntax, frames it in
# the 3D view and saves a screenshot of Blender's window, then quits.
import sys

import bpy

args = sys.argv[sys.argv.index("--") + 1:]
zip_path, scene_path, out = args
bpy.context.preferences.view.show_splash = False
bpy.ops.preferences.addon_install(filepath=zip_path, overwrite=True)
bpy.ops.preferences.addon_enable(module="korvan_pov")
for o in list(bpy.data.objects):  # the start-up scene's cube, camera and light
    bpy.data.objects.remove(o)
bpy.ops.import_scene.korvan_pov(filepath=scene_path, grammar="POVRAY")

def shoot():
    for area in bpy.context.screen.areas:
        if area.type == "VIEW_3D":
            space = area.spaces.active
            space.shading.type = "SOLID"
            space.shading.color_type = "MATERIAL"
            region = [r for r in area.regions if r.type == "WINDOW"][0]
            with bpy.context.temp_override(area=area, region=region):
                bpy.ops.object.select_all(action="SELECT")
                bpy.ops.view3d.view_selected()
                bpy.ops.view3d.view_orbit(angle=0.3, type="ORBITUP")
                bpy.ops.object.select_all(action="DESELECT")
    return None

def save():
    bpy.ops.screen.screenshot(filepath=out)
    bpy.ops.wm.quit_blender()
    return None

bpy.app.timers.register(shoot, first_interval=1.0)
bpy.app.timers.register(save, first_interval=3.0)

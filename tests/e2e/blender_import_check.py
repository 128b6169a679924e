# Run inside Blender by blender_import_test.sh, with FILE.glb BONES after "--": raises,
# saying what is missing, unless the scene has its meshes, an action for each object
# each glTF animation drives (the joints of a skin are one object, its armature),
# and, when BONES is "bones", an armature with bones.
import json
import struct
import sys

import numpy

# Blender 3.4's glTF importer still names numpy.bool, which numpy 1.24 dropped.
numpy.bool = bool

import bpy

path, skeleton = sys.argv[sys.argv.index("--") + 1:]
with open(path, "rb") as glb:
    glb.seek(12)
    length, _ = struct.unpack("<I4s", glb.read(8))
    gltf = json.loads(glb.read(length))
joints = {joint for skin in gltf.get("skins", []) for joint in skin["joints"]}
expected_actions = sum(len({"armature" if channel["target"]["node"] in joints else channel["target"]["node"]
                            for channel in animation["channels"]})
                       for animation in gltf.get("animations", []))

bpy.ops.wm.read_factory_settings(use_empty=True)
bpy.ops.import_scene.gltf(filepath=path)

meshes = [o for o in bpy.data.objects if o.type == "MESH"]
if not meshes:
    raise SystemExit(f"{path}: no mesh imported")
if len(bpy.data.actions) != expected_actions:
    raise SystemExit(f"{path}: {len(bpy.data.actions)} actions, expected {expected_actions} "
                     f"for {len(gltf.get('animations', []))} animations")
bones = sum(len(o.data.bones) for o in bpy.data.objects if o.type == "ARMATURE")
if skeleton == "bones" and bones == 0:
    raise SystemExit(f"{path}: no armature with bones")
print(f"ok: {len(meshes)} meshes, {len(bpy.data.actions)} actions, {bones} bones")

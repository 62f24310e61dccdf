# Writes the FBX files of the cross-check corpus into this folder: the blender_* files by
# Blender's FBX exporter, the assimp_* files by assimp's (from a Collada and an OBJ scene that
# Blender writes first). Run: blender -b --python Tests/data/fbx/corpus/make_blender_corpus.py
# (needs the blender and assimp-utils packages; neither is in CI, so the files are committed).
import math
import os
import shutil
import subprocess
import sys
import tempfile

import bpy

OUT = os.path.dirname(os.path.abspath(__file__))


def reset():
    bpy.ops.wm.read_factory_settings(use_empty=True)
    bpy.context.scene.render.fps = 30
    bpy.context.scene.frame_start = 0
    bpy.context.scene.frame_end = 0


def material(name, rgb):
    m = bpy.data.materials.new(name)
    m.diffuse_color = (*rgb, 1.0)
    return m


def add_object(obj):
    bpy.context.scene.collection.objects.link(obj)
    return obj


def export(name, **options):
    settings = dict(filepath=os.path.join(OUT, name), add_leaf_bones=False, bake_anim_use_all_actions=False,
                    bake_anim_use_nla_strips=False, bake_anim_simplify_factor=0.0, use_mesh_modifiers=False)
    settings.update(options)
    bpy.ops.export_scene.fbx(**settings)


def select_only(obj):
    for o in bpy.context.scene.objects:
        o.select_set(False)
    obj.select_set(True)
    bpy.context.view_layer.objects.active = obj


# ---------------------------------------------------------------- static: a UV sphere, one material
def static(name, up, unit_options):
    reset()
    bpy.ops.mesh.primitive_uv_sphere_add(segments=24, ring_count=12, radius=1.5, location=(0.5, -1.0, 2.0))
    sphere = bpy.context.active_object
    sphere.name = "Rock"
    sphere.rotation_euler = (0.3, 0.0, 0.7)
    sphere.data.materials.append(material("RockSkin", (0.5, 0.4, 0.3)))
    axes = dict(axis_up="Y", axis_forward="-Z") if up == "Y" else dict(axis_up="Z", axis_forward="Y")
    export(name, **axes, **unit_options)


# ---------------------------------------------------------------- two materials on one mesh, two meshes
def two_materials():
    reset()
    bpy.ops.mesh.primitive_cube_add(size=2.0)
    box = bpy.context.active_object
    box.name = "Crate"
    box.data.materials.append(material("Wood", (0.6, 0.4, 0.2)))
    box.data.materials.append(material("Metal", (0.7, 0.7, 0.8)))
    for i, poly in enumerate(box.data.polygons):
        poly.material_index = 1 if i % 3 == 0 else 0
    bpy.ops.mesh.primitive_plane_add(size=6.0, location=(0.0, 0.0, -1.0))
    floor = bpy.context.active_object
    floor.name = "Floor"
    floor.data.materials.append(bpy.data.materials["Metal"])
    export("blender_two_materials.fbx", apply_scale_options="FBX_SCALE_UNITS")


# ---------------------------------------------------------------- a skinned arm with events and sockets
def arm_rig(prefix, frames, actions=1):
    arm = bpy.data.armatures.new("ArmData")
    rig = add_object(bpy.data.objects.new(prefix + "Rig", arm))
    select_only(rig)
    bpy.ops.object.mode_set(mode="EDIT")
    names = [prefix + n for n in ("Shoulder", "Elbow", "Wrist")]
    parent = None
    for i, n in enumerate(names):
        b = arm.edit_bones.new(n)
        b.head = (0.0, 0.0, i * 1.0)
        b.tail = (0.0, 0.0, (i + 1) * 1.0)
        if parent is not None:
            b.parent = parent
            b.use_connect = True
        parent = b
    bpy.ops.object.mode_set(mode="OBJECT")

    # A column of rings skinned along the chain.
    bpy.ops.mesh.primitive_cylinder_add(vertices=12, radius=0.25, depth=3.0, location=(0.0, 0.0, 1.5))
    body = bpy.context.active_object
    body.name = prefix + "ArmMesh"
    bpy.ops.object.mode_set(mode="EDIT")
    bpy.ops.mesh.subdivide(number_cuts=5)
    bpy.ops.object.mode_set(mode="OBJECT")
    body.data.materials.append(material("Skin", (0.9, 0.7, 0.6)))
    groups = [body.vertex_groups.new(name=n) for n in names]
    for v in body.data.vertices:
        z = v.co.z + 1.5
        for i, g in enumerate(groups):
            w = max(0.0, 1.0 - abs(z - (i + 0.5)))
            if w > 0.0:
                g.add([v.index], w, "REPLACE")
    body.parent = rig
    body.modifiers.new("Armature", "ARMATURE").object = rig

    # Sockets hang below joints; an event marker below the rig moves in some frames.
    socket = add_object(bpy.data.objects.new(prefix + "hand_skt", None))
    socket.parent = rig
    socket.parent_type = "BONE"
    socket.parent_bone = names[2]
    socket.location = (0.0, 0.2, 0.0)
    event = add_object(bpy.data.objects.new(prefix + "swing_evt", None))
    event.parent = rig

    scene = bpy.context.scene
    scene.frame_end = frames
    select_only(rig)
    bpy.ops.object.mode_set(mode="POSE")
    for a in range(actions):
        action = bpy.data.actions.new("Swing%d" % a if actions > 1 else "Swing")
        rig.animation_data_create()
        rig.animation_data.action = action
        for f in range(0, frames + 1):
            scene.frame_set(f)
            for i, n in enumerate(names):
                pb = rig.pose.bones[n]
                pb.rotation_mode = "XYZ"
                angle = 0.0 if f == 0 else math.radians((15 + 10 * a) * (i + 1)) * math.sin(f * 0.4)
                pb.rotation_euler = (angle, 0.0, angle * 0.5 * (i % 2))
                pb.keyframe_insert("rotation_euler", frame=f)
            rig.pose.bones[names[0]].location = (0.0, 0.0, 0.0 if f == 0 else 0.1 * f)
            rig.pose.bones[names[0]].keyframe_insert("location", frame=f)
        if actions > 1:
            track = rig.animation_data.nla_tracks.new()
            track.strips.new(action.name, 0, action)
    bpy.ops.object.mode_set(mode="OBJECT")
    event.animation_data_create()
    event.animation_data.action = bpy.data.actions.new("EventMoves")
    for f in range(0, frames + 1):
        event.location = (0.0, 0.0, 1.0 if f in (3, 4) else 0.0)
        event.keyframe_insert("location", frame=f)
    return rig, body


def skinned():
    reset()
    arm_rig("", 12)
    export("blender_skinned.fbx")


def namespaced():
    reset()
    arm_rig("hero:", 6)
    export("blender_namespaced.fbx", axis_up="Z", axis_forward="Y", apply_scale_options="FBX_SCALE_UNITS")


def stacks():
    reset()
    rig, body = arm_rig("", 8, actions=3)
    rig.animation_data.action = None
    export("blender_stacks.fbx", bake_anim_use_all_actions=True)


# ---------------------------------------------------------------- binary FBX records, for the LOD group
# Blender writes no LOD groups; the empty above the three levels is re-typed as one afterwards.
import struct
import zlib


def read_fbx(data):
    wide = struct.unpack_from("<I", data, 23)[0] >= 7500
    head = "<QQQ" if wide else "<III"

    def record(pos):
        end, count, _ = struct.unpack_from(head, data, pos)
        pos += struct.calcsize(head)
        name_length = data[pos]
        pos += 1
        if end == 0:
            return None, pos
        name = data[pos:pos + name_length]
        pos += name_length
        values = []
        for _ in range(count):
            code = data[pos:pos + 1]
            pos += 1
            if code in b"YCIFDL":
                f = {b"Y": "<h", b"C": "<B", b"I": "<i", b"F": "<f", b"D": "<d", b"L": "<q"}[code]
                values.append((code, struct.unpack_from(f, data, pos)[0]))
                pos += struct.calcsize(f)
            elif code in b"SR":
                n = struct.unpack_from("<I", data, pos)[0]
                values.append((code, data[pos + 4:pos + 4 + n]))
                pos += 4 + n
            else:
                _, _, stored = struct.unpack_from("<III", data, pos)
                values.append((code, data[pos:pos + 12 + stored]))  # kept as written
                pos += 12 + stored
        children = []
        while pos < end:
            child, pos = record(pos)
            if child is None:
                break
            children.append(child)
        return [name, values, children], end

    records, pos = [], 27
    while True:
        r, pos = record(pos)
        if r is None:
            return records, data[pos:]
        records.append(r)


def write_fbx(records, footer, version_bytes):
    out = bytearray(b"Kaydara FBX Binary  \x00\x1a\x00" + version_bytes)
    wide = struct.unpack("<I", version_bytes)[0] >= 7500
    head = "<QQQ" if wide else "<III"

    def record(r):
        name, values, children = r
        start = len(out)
        out.extend(b"\0" * struct.calcsize(head))
        out.append(len(name))
        out.extend(name)
        props = len(out)
        for code, v in values:
            out.extend(code)
            if code in b"YCIFDL":
                out.extend(struct.pack({b"Y": "<h", b"C": "<B", b"I": "<i", b"F": "<f", b"D": "<d", b"L": "<q"}[code], v))
            elif code in b"SR":
                out.extend(struct.pack("<I", len(v)) + v)
            else:
                out.extend(v)
        plen = len(out) - props
        for c in children:
            record(c)
        if children or not values:
            out.extend(b"\0" * (struct.calcsize(head) + 1))
        struct.pack_into(head, out, start, len(out), len(values), plen)

    for r in records:
        record(r)
    out.extend(b"\0" * (struct.calcsize(head) + 1))
    out.extend(footer)  # as Blender wrote it
    return bytes(out)


def retype_as_lod_group(path, name, thresholds):
    data = open(path, "rb").read()
    records, footer = read_fbx(data)
    objects = next(r for r in records if r[0] == b"Objects")
    for obj in objects[2]:
        if obj[1][1][1] == name.encode() + b"\x00\x01NodeAttribute":
            obj[1][2] = (b"S", b"LodGroup")
            obj[2] = [[b"TypeFlags", [(b"S", b"LodGroup")], []],
                      [b"Properties70", [], [[b"P", [(b"S", b"Thresholds|Level%d" % i), (b"S", b"Distance"), (b"S", b""),
                                                      (b"S", b""), (b"D", t)], []] for i, t in enumerate(thresholds)]]]
        elif obj[1][1][1] == name.encode() + b"\x00\x01Model":
            obj[1][2] = (b"S", b"LodGroup")
    open(path, "wb").write(write_fbx(records, footer, data[23:27]))


# ---------------------------------------------------------------- three levels below one LOD group
def lod():
    reset()
    group = add_object(bpy.data.objects.new("Tree_LOD", None))
    for level, segments in enumerate((32, 16, 6)):
        bpy.ops.mesh.primitive_cone_add(vertices=segments, radius1=1.0, depth=3.0)
        cone = bpy.context.active_object
        cone.name = "TreeLOD%d" % level
        cone.data.materials.append(bpy.data.materials.get("Leaves") or material("Leaves", (0.1, 0.6, 0.1)))
        cone.parent = group
    export("blender_lod.fbx")
    retype_as_lod_group(os.path.join(OUT, "blender_lod.fbx"), "Tree_LOD", (400.0, 1200.0))


# ---------------------------------------------------------------- a terrain tile, 3,200 triangles
# The import benchmark repeats it 32 times for a 102,400-triangle mesh (a whole one would not
# fit the size the corpus keeps to).
def terrain():
    reset()
    bpy.ops.mesh.primitive_grid_add(x_subdivisions=40, y_subdivisions=40, size=20.0)
    grid = bpy.context.active_object
    grid.name = "Terrain"
    for v in grid.data.vertices:
        v.co.z = 0.3 * math.sin(v.co.x * 1.7) * math.cos(v.co.y * 1.3)
    grid.data.materials.append(material("Ground", (0.4, 0.5, 0.3)))
    export("blender_terrain.fbx")


# ---------------------------------------------------------------- assimp's exporter, binary and ASCII
def assimp_files():
    tool = shutil.which("assimp")
    if tool is None:
        print("assimp not found: the assimp_* files were not rewritten")
        return
    with tempfile.TemporaryDirectory() as folder:
        reset()
        arm_rig("", 6)
        dae = os.path.join(folder, "arm.dae")
        bpy.ops.wm.collada_export(filepath=dae, include_animations=True)
        reset()
        bpy.ops.mesh.primitive_cube_add(size=2.0)
        box = bpy.context.active_object
        box.name = "Crate"
        box.data.materials.append(material("Wood", (0.6, 0.4, 0.2)))
        box.data.materials.append(material("Metal", (0.7, 0.7, 0.8)))
        for i, poly in enumerate(box.data.polygons):
            poly.material_index = 1 if i % 3 == 0 else 0
        obj = os.path.join(folder, "crate.obj")
        bpy.ops.wm.obj_export(filepath=obj)
        for source, target, form in ((dae, "assimp_arm.fbx", "fbx"), (dae, "assimp_arm_ascii.fbx", "fbxa"),
                                     (obj, "assimp_crate_ascii.fbx", "fbxa"), (obj, "assimp_crate.fbx", "fbx")):
            subprocess.run([tool, "export", source, os.path.join(OUT, target), "-f" + form], check=True)


static("blender_static_yup_cm.fbx", "Y", {})
static("blender_static_zup_m.fbx", "Z", dict(apply_scale_options="FBX_SCALE_UNITS"))
two_materials()
skinned()
namespaced()
stacks()
lod()
terrain()
assimp_files()

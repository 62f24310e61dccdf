#!/usr/bin/env python3
# Writes the small ASCII FBX fixtures under Tests/data/fbx/ (committed; rerun after editing).
import os
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "Tests", "data", "fbx")

def fmt(v):
    if isinstance(v, float):
        s = repr(v)
        return s
    return str(v)

def arr(name, values, indent):
    vals = ",".join(fmt(v) for v in values)
    return f"{indent}{name}: *{len(values)} {{\n{indent}\ta: {vals}\n{indent}}}\n"

def P(name, typ, label, flags, *vals):
    parts = [f'"{name}"', f'"{typ}"', f'"{label}"', f'"{flags}"'] + [fmt(v) if not isinstance(v, str) else f'"{v}"' for v in vals]
    return "P: " + ", ".join(parts)

class Doc:
    def __init__(self, unit=1.0, up=(1,1), front=(2,1), coord=(0,1), timemode=6):
        self.objects = []
        self.conns = []
        self.takes = []
        self.unit = unit; self.up = up; self.front = front; self.coord = coord; self.timemode = timemode
        self.next = 1000000000000
    def id(self):
        self.next += 7
        return self.next
    def obj(self, text):
        self.objects.append(text)
    def oo(self, src, dst, comment=""):
        self.conns.append(f'\t;{comment}\n\tC: "OO",{src},{dst}\n' if comment else f'\tC: "OO",{src},{dst}\n')
    def op(self, src, dst, prop):
        self.conns.append(f'\tC: "OP",{src},{dst}, "{prop}"\n')
    def write(self, name, comment):
        s = "; FBX 7.4.0 project file\n"
        s += f"; {comment}\n; ----------------------------------------------------\n\n"
        s += "FBXHeaderExtension:  {\n\tFBXHeaderVersion: 1003\n\tFBXVersion: 7400\n\tCreator: \"Kiln test fixture\"\n}\n"
        s += "GlobalSettings:  {\n\tVersion: 1000\n\tProperties70:  {\n"
        s += "\t\t" + P("UpAxis","int","Integer","",self.up[0]) + "\n"
        s += "\t\t" + P("UpAxisSign","int","Integer","",self.up[1]) + "\n"
        s += "\t\t" + P("FrontAxis","int","Integer","",self.front[0]) + "\n"
        s += "\t\t" + P("FrontAxisSign","int","Integer","",self.front[1]) + "\n"
        s += "\t\t" + P("CoordAxis","int","Integer","",self.coord[0]) + "\n"
        s += "\t\t" + P("CoordAxisSign","int","Integer","",self.coord[1]) + "\n"
        s += "\t\t" + P("UnitScaleFactor","double","Number","",self.unit) + "\n"
        s += "\t\t" + P("TimeMode","enum","","",self.timemode) + "\n"
        s += "\t}\n}\n"
        s += "Definitions:  {\n\tVersion: 100\n\tObjectType: \"Model\" {\n\t\tCount: 1\n\t\tPropertyTemplate: \"FbxNode\" {\n\t\t\tProperties70:  {\n"
        s += "\t\t\t\t" + P("InheritType","enum","","",1) + "\n"
        s += "\t\t\t\t" + P("Lcl Scaling","Lcl Scaling","","A",1,1,1) + "\n"
        s += "\t\t\t}\n\t\t}\n\t}\n}\n"
        s += "Objects:  {\n" + "".join(self.objects) + "}\n"
        s += "Connections:  {\n" + "".join(self.conns) + "}\n"
        if self.takes:
            s += "Takes:  {\n\tCurrent: \"%s\"\n" % self.takes[0][0]
            for (n, a, b) in self.takes:
                s += f'\tTake: "{n}" {{\n\t\tFileName: "{n.replace(" ","_")}.tak"\n\t\tLocalTime: {a},{b}\n\t\tReferenceTime: {a},{b}\n\t}}\n'
            s += "}\n"
        open(os.path.join(OUT, name), "w").write(s)

def model(d, name, cls, props=(), extra=""):
    i = d.id()
    s = f'\tModel: {i}, "Model::{name}", "{cls}" {{\n\t\tVersion: 232\n\t\tProperties70:  {{\n'
    for p in props:
        s += "\t\t\t" + p + "\n"
    s += "\t\t}\n\t\tShading: T\n\t\tCulling: \"CullingOff\"\n" + extra + "\t}\n"
    d.obj(s)
    return i

def attribute(d, cls, flags, props=()):
    i = d.id()
    s = f'\tNodeAttribute: {i}, "NodeAttribute::", "{cls}" {{\n'
    if props:
        s += "\t\tProperties70:  {\n" + "".join("\t\t\t" + p + "\n" for p in props) + "\t\t}\n"
    s += f'\t\tTypeFlags: "{flags}"\n\t}}\n'
    d.obj(s)
    return i

def layer_element(kind, idx, mapping, ref, direct_name, direct, index_name=None, index=None, name=""):
    s = f'\t\t{kind}: {idx} {{\n\t\t\tVersion: 101\n\t\t\tName: "{name}"\n\t\t\tMappingInformationType: "{mapping}"\n\t\t\tReferenceInformationType: "{ref}"\n'
    if direct_name:
        s += arr(direct_name, direct, "\t\t\t")
    if index_name:
        s += arr(index_name, index, "\t\t\t")
    s += "\t\t}\n"
    return s

def geometry(d, name, points, polys, elements):
    i = d.id()
    flat = [c for p in points for c in p]
    pvi = []
    for poly in polys:
        pvi += poly[:-1] + [-poly[-1]-1]
    s = f'\tGeometry: {i}, "Geometry::{name}", "Mesh" {{\n'
    s += arr("Vertices", flat, "\t\t")
    s += arr("PolygonVertexIndex", pvi, "\t\t")
    s += "\t\tGeometryVersion: 124\n"
    s += "".join(elements)
    s += "\t\tLayer: 0 {\n\t\t\tVersion: 100\n\t\t}\n"
    s += "\t}\n"
    d.obj(s)
    return i

def material(d, name, props=()):
    i = d.id()
    s = f'\tMaterial: {i}, "Material::{name}", "" {{\n\t\tVersion: 102\n\t\tShadingModel: "phong"\n\t\tMultiLayer: 0\n\t\tProperties70:  {{\n'
    s += "\t\t\t" + P("DiffuseColor","Color","","A",0.8,0.8,0.8) + "\n"
    for p in props:
        s += "\t\t\t" + p + "\n"
    s += "\t\t}\n\t}\n"
    d.obj(s)
    return i

def texture(d, name, absolute, relative):
    i = d.id()
    s = f'\tTexture: {i}, "Texture::{name}", "" {{\n\t\tType: "TextureVideoClip"\n\t\tVersion: 202\n\t\tTextureName: "Texture::{name}"\n'
    s += f'\t\tFileName: "{absolute}"\n\t\tRelativeFilename: "{relative}"\n\t}}\n'
    d.obj(s)
    return i

def layered(d, name):
    i = d.id()
    d.obj(f'\tLayeredTexture: {i}, "LayeredTexture::{name}", "" {{\n\t\tLayeredTexture: 101\n\t\tBlendModes: 0\n\t}}\n')
    return i

def skin(d):
    i = d.id()
    d.obj(f'\tDeformer: {i}, "Deformer::Skin", "Skin" {{\n\t\tVersion: 101\n\t\tLink_DeformAcuracy: 50\n\t}}\n')
    return i

def mat16(t=(0,0,0)):
    return [1.0,0.0,0.0,0.0, 0.0,1.0,0.0,0.0, 0.0,0.0,1.0,0.0, float(t[0]),float(t[1]),float(t[2]),1.0]

# Exporters store a cluster's Transform relative to its link: inverse(link) x mesh global.
# Both are translations here, so that is the difference of the two.
def cluster(d, name, indexes, weights, mesh_at, link_at):
    transform = mat16(tuple(m - l for m, l in zip(mesh_at, link_at)))
    link = mat16(link_at)
    i = d.id()
    s = f'\tDeformer: {i}, "SubDeformer::{name}", "Cluster" {{\n\t\tVersion: 100\n\t\tUserData: "", ""\n'
    s += arr("Indexes", indexes, "\t\t") + arr("Weights", weights, "\t\t")
    s += arr("Transform", transform, "\t\t") + arr("TransformLink", link, "\t\t")
    s += "\t}\n"
    d.obj(s)
    return i

def T(x,y,z): return P("Lcl Translation","Lcl Translation","","A",float(x),float(y),float(z))
def R(x,y,z): return P("Lcl Rotation","Lcl Rotation","","A",float(x),float(y),float(z))
def S(x,y,z): return P("Lcl Scaling","Lcl Scaling","","A",float(x),float(y),float(z))

# ---------------------------------------------------------------- cube
def cube():
    d = Doc()
    pts = [(-1,-1,1),(1,-1,1),(-1,1,1),(1,1,1),(-1,1,-1),(1,1,-1),(-1,-1,-1),(1,-1,-1)]
    pts = [tuple(float(c) for c in p) for p in pts]
    polys = [[0,1,3,2],[2,3,5,4],[4,5,7,6],[6,7,1,0],[1,7,5,3],[6,0,2,4]]
    normals_per_face = [(0,0,1),(0,1,0),(0,0,-1),(0,-1,0),(1,0,0),(-1,0,0)]
    normals = []
    for n in normals_per_face:
        for _ in range(4):
            normals += [float(c) for c in n]
    uvs = [(0.375,0.0),(0.625,0.0),(0.375,0.25),(0.625,0.25),(0.375,0.5),(0.625,0.5),(0.375,0.75),(0.625,0.75),(0.375,1.0),(0.625,1.0),(0.875,0.0),(0.875,0.25),(0.125,0.0),(0.125,0.25)]
    uvidx = [0,1,3,2, 2,3,5,4, 4,5,7,6, 6,7,9,8, 1,10,11,3, 12,0,2,13]
    colors = []
    for p in pts:
        colors += [ (p[0]+1)/2, (p[1]+1)/2, (p[2]+1)/2, 1.0 ]
    els = [
        layer_element("LayerElementNormal",0,"ByPolygonVertex","Direct","Normals",normals),
        layer_element("LayerElementColor",0,"ByVertice","Direct","Colors",[float(c) for c in colors], name="colorSet1"),
        layer_element("LayerElementUV",0,"ByPolygonVertex","IndexToDirect","UV",[c for uv in uvs for c in uv],"UVIndex",uvidx, name="map1"),
        layer_element("LayerElementMaterial",0,"AllSame","IndexToDirect",None,None,"Materials",[0]),
    ]
    g = geometry(d, "CubeShape", pts, polys, els)
    m = model(d, "Cube", "Mesh", [T(0,0,0)])
    mat = material(d, "CubeMaterial")
    tex = texture(d, "CubeDiffuse", "C:\\Art\\textures\\cube_diffuse.png", "..\\textures\\cube_diffuse.png")
    spec = texture(d, "CubeSpecular", "C:/Art/cube_spec.dds", "cube_spec.dds")
    lay = layered(d, "NormalStack")
    inner = texture(d, "CubeNormal", "C:\\Art\\cube_n.png", "cube_n.png")
    d.oo(m, 0, "Model::Cube, Model::RootNode")
    d.oo(g, m)
    d.oo(mat, m)
    d.op(tex, mat, "DiffuseColor")
    d.op(spec, mat, "SpecularColor")
    d.op(lay, mat, "NormalMap")
    d.oo(inner, lay)
    d.write("cube.fbx", "A cube: one material with a diffuse texture, per-face normals, one UV set, vertex colours")

# ---------------------------------------------------------------- two materials
def two_materials():
    d = Doc()
    pts = [(0,0,0),(1,0,0),(2,0,0),(0,0,-1),(1,0,-1),(2,0,-1)]
    pts = [tuple(float(c) for c in p) for p in pts]
    polys = [[0,1,4,3],[1,2,5,4]]
    normals = [0.0,1.0,0.0]*6
    uv0 = [0.0,0.0, 0.5,0.0, 1.0,0.0, 0.0,1.0, 0.5,1.0, 1.0,1.0]
    uv0idx = [0,1,4,3, 1,2,5,4]
    uv1 = [0.1,0.1, 0.9,0.9]
    uv1idx = [0,1,1,0, 1,0,0,1]
    els = [
        layer_element("LayerElementNormal",0,"ByVertice","Direct","Normals",normals),
        layer_element("LayerElementUV",0,"ByPolygonVertex","IndexToDirect","UV",uv0,"UVIndex",uv0idx, name="map1"),
        layer_element("LayerElementUV",1,"ByPolygonVertex","IndexToDirect","UV",uv1,"UVIndex",uv1idx, name="lightmap"),
        layer_element("LayerElementMaterial",0,"ByPolygon","IndexToDirect",None,None,"Materials",[0,1]),
    ]
    g = geometry(d, "FloorShape", pts, polys, els)
    m = model(d, "Floor", "Mesh", [T(0,0,0)])
    # scene order: Stone first, then Grass; the node lists Grass (slot 0), then Stone (slot 1)
    stone = material(d, "Stone")
    grass = material(d, "Grass")
    tex = texture(d, "GrassDiffuse", "D:\\grass.png", "grass.png")
    d.oo(m, 0)
    d.oo(g, m)
    d.oo(grass, m)
    d.oo(stone, m)
    d.op(tex, grass, "DiffuseColor")
    d.write("two_materials.fbx", "Two quads, one per material; two UV sets with their own index arrays")

# ---------------------------------------------------------------- skinned
def skinned():
    d = Doc()
    # a strip of 3 quads up the Y axis, z = 0
    pts = []
    for row in range(4):
        pts += [(-1.0, row*10.0, 0.0), (1.0, row*10.0, 0.0)]
    polys = [[0,1,3,2],[2,3,5,4],[4,5,7,6]]
    normals = [0.0,0.0,1.0]*8
    uv = []
    for row in range(4):
        uv += [0.0, row/3.0, 1.0, row/3.0]
    els = [
        layer_element("LayerElementNormal",0,"ByVertice","Direct","Normals",normals),
        layer_element("LayerElementUV",0,"ByVertice","Direct","UV",uv, name="map1"),
    ]
    g = geometry(d, "BodyShape", pts, polys, els)
    body = model(d, "Body", "Mesh", [T(0,0,0), P("GeometricTranslation","Vector3D","Vector","",2.0,0.0,0.0)])
    hips = model(d, "rig:Hips", "LimbNode", [T(0,0,3)])
    spine = model(d, "rig:Spine", "LimbNode", [T(0,10,0)])
    head = model(d, "rig:Head", "LimbNode", [T(0,10,0)])
    for j in (hips, spine, head):
        a = attribute(d, "LimbNode", "Skeleton")
        d.oo(a, j)
    skt = model(d, "weapon_skt", "Null", [T(0,5,0)])
    evt = model(d, "footstep_evt", "Null", [T(0,0,0)])
    d.oo(attribute(d, "Null", "Null"), skt)
    d.oo(attribute(d, "Null", "Null"), evt)
    sk = skin(d)
    # control point 0 gets five influences: Hips twice, Spine twice, Head once
    c_hips = cluster(d, "Cluster rig:Hips", [0,0,1,2,3], [0.1,0.2,1.0,0.5,0.5], (0,0,0), (0,0,3))
    c_spine = cluster(d, "Cluster rig:Spine", [0,0,2,3,4,5], [0.3,0.15,0.5,0.5,1.0,1.0], (0,0,0), (0,10,3))
    c_head = cluster(d, "Cluster rig:Head", [0,6,7], [0.25,1.0,1.0], (0,0,0), (0,20,3))
    d.oo(body, 0)
    d.oo(hips, 0)
    d.oo(spine, hips)
    d.oo(head, spine)
    d.oo(skt, head)
    d.oo(evt, hips)
    d.oo(g, body)
    d.oo(sk, g)
    for c, j in ((c_hips, hips), (c_spine, spine), (c_head, head)):
        d.oo(c, sk)
        d.oo(j, c)
    d.write("skinned.fbx", "A strip skinned to a three-joint chain; control point 0 has five influences")

# ---------------------------------------------------------------- animated
SEC = 46186158000
FRAME = SEC // 30

def curve_node(d, name, defaults):
    i = d.id()
    s = f'\tAnimationCurveNode: {i}, "AnimCurveNode::{name}", "" {{\n\t\tProperties70:  {{\n'
    for axis, v in zip("XYZ", defaults):
        s += "\t\t\t" + P("d|"+axis,"Number","","A",float(v)) + "\n"
    s += "\t\t}\n\t}\n"
    d.obj(s)
    return i

def curve(d, times, values, flags, data, refs):
    i = d.id()
    s = f'\tAnimationCurve: {i}, "AnimCurve::", "" {{\n\t\tDefault: {fmt(float(values[0]))}\n\t\tKeyVer: 4008\n'
    s += arr("KeyTime", times, "\t\t") + arr("KeyValueFloat", [float(v) for v in values], "\t\t")
    s += arr("KeyAttrFlags", flags, "\t\t") + arr("KeyAttrDataFloat", data, "\t\t") + arr("KeyAttrRefCount", refs, "\t\t")
    s += "\t}\n"
    d.obj(s)
    return i

LINEAR = 0x4 | 0x100  # linear, auto tangents
CUBIC = 0x8 | 0x400   # cubic, user tangents
CONSTANT = 0x2
W = 218434821         # two 16-bit weights of 0.3333

def animated():
    d = Doc()
    root = model(d, "Root", "LimbNode", [T(0,0,0), P("RotationActive","bool","","",1)])
    mid = model(d, "Mid", "LimbNode", [T(10,0,0), P("RotationActive","bool","","",1), P("PreRotation","Vector3D","Vector","",0.0,0.0,15.0)])
    tip = model(d, "Tip", "LimbNode", [T(10,0,0)])
    for j in (root, mid, tip):
        d.oo(attribute(d, "LimbNode", "Skeleton"), j)
    evt = model(d, "step_evt", "Null", [T(0,0,0)])
    skt = model(d, "hand_skt", "Null", [T(5,0,0)])
    for n in (evt, skt):
        d.oo(attribute(d, "Null", "Null"), n)
    d.oo(root, 0); d.oo(mid, root); d.oo(tip, mid); d.oo(evt, root); d.oo(skt, tip)

    stack = d.id()
    d.obj(f'\tAnimationStack: {stack}, "AnimStack::Take 001", "" {{\n\t\tProperties70:  {{\n\t\t\t{P("LocalStop","KTime","Time","",SEC)}\n\t\t\t{P("ReferenceStop","KTime","Time","",SEC)}\n\t\t}}\n\t}}\n')
    layer = d.id()
    d.obj(f'\tAnimationLayer: {layer}, "AnimLayer::BaseLayer", "" {{\n\t}}\n')
    d.oo(layer, stack)
    # Root: Z rotation 0 -> 90 degrees, linear
    cn = curve_node(d, "R", (0,0,0)); d.oo(cn, layer); d.op(cn, root, "Lcl Rotation")
    cz = curve(d, [0, SEC], [0.0, 90.0], [LINEAR], [0,0,W,0], [2]); d.op(cz, cn, "d|Z")
    # Mid: Z rotation 0 -> 30 degrees, cubic with flat tangents
    cn = curve_node(d, "R", (0,0,0)); d.oo(cn, layer); d.op(cn, mid, "Lcl Rotation")
    cz = curve(d, [0, SEC], [0.0, 30.0], [CUBIC], [0,0,W,0], [2]); d.op(cz, cn, "d|Z")
    # step_evt: Y translation 1 on frames 10 and 11 only (constant keys)
    cn = curve_node(d, "T", (0,0,0)); d.oo(cn, layer); d.op(cn, evt, "Lcl Translation")
    cy = curve(d, [0, 10*FRAME, 12*FRAME], [0.0, 1.0, 0.0], [CONSTANT], [0,0,W,0], [3]); d.op(cy, cn, "d|Y")

    stack2 = d.id()
    d.obj(f'\tAnimationStack: {stack2}, "AnimStack::Take 002", "" {{\n\t\tProperties70:  {{\n\t\t\t{P("LocalStop","KTime","Time","",SEC//2)}\n\t\t}}\n\t}}\n')
    layer2 = d.id()
    d.obj(f'\tAnimationLayer: {layer2}, "AnimLayer::BaseLayer", "" {{\n\t}}\n')
    d.oo(layer2, stack2)
    cn = curve_node(d, "R", (0,0,0)); d.oo(cn, layer2); d.op(cn, root, "Lcl Rotation")
    cz = curve(d, [0, SEC//2], [45.0, 45.0], [LINEAR], [0,0,W,0], [2]); d.op(cz, cn, "d|Z")

    d.takes = [("Take 001", 0, SEC), ("Take 002", 0, SEC//2)]
    d.write("animated.fbx", "A three-joint chain animated at 30 fps for one second, with an event and a socket")

# ---------------------------------------------------------------- lod
def tri_mesh(d, name, z):
    pts = [(0.0,0.0,z),(1.0,0.0,z),(0.0,1.0,z)]
    els = [layer_element("LayerElementNormal",0,"ByVertice","Direct","Normals",[0.0,0.0,1.0]*3),
           layer_element("LayerElementUV",0,"ByVertice","Direct","UV",[0.0,0.0,1.0,0.0,0.0,1.0], name="map1")]
    g = geometry(d, name + "Shape", pts, [[0,1,2]], els)
    m = model(d, name, "Mesh", [T(0,0,0)])
    d.oo(g, m)
    return m

def lod():
    d = Doc()
    group = model(d, "Rock_LOD", "LodGroup", [T(0,0,0)])
    a = attribute(d, "LodGroup", "LodGroup", [P("Thresholds|Level0","Distance","","",100.0,"cm"), P("WorldSpace","bool","","",0)])
    d.oo(a, group)
    l0 = model(d, "LOD0", "Null", [T(0,0,0)]); d.oo(attribute(d, "Null", "Null"), l0)
    l1 = model(d, "LOD1", "Null", [T(0,0,0)]); d.oo(attribute(d, "Null", "Null"), l1)
    m0 = tri_mesh(d, "Rock_hi", 1.0)
    m1 = tri_mesh(d, "Rock_lo", 2.0)
    ground = tri_mesh(d, "Ground", 0.0)
    d.oo(group, 0); d.oo(l0, group); d.oo(l1, group); d.oo(m0, l0); d.oo(m1, l1); d.oo(ground, 0)
    d.write("lod.fbx", "An LOD group with two levels beside a plain mesh")

def no_mesh():
    d = Doc()
    n = model(d, "Locator", "Null", [T(1,2,3)])
    d.oo(attribute(d, "Null", "Null"), n)
    j = model(d, "Bone", "LimbNode", [T(0,0,0)])
    d.oo(attribute(d, "LimbNode", "Skeleton"), j)
    d.oo(n, 0); d.oo(j, n)
    d.write("no_mesh.fbx", "A locator and a bone, no mesh")

cube(); two_materials(); skinned(); animated(); lod(); no_mesh()

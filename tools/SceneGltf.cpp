#include "tools/SceneGltf.h"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "image/COGLTexture2D.h"
#include "math/CMatrix.h"
#include "models/COGLModel.h"
#include "objects/COGLBillboard.h"
#include "objects/COGLCylinder.h"
#include "objects/COGLPlane.h"
#include "objects/COGLText.h"
#include "scene/COGLScene.h"
#include "tools/CGltfBuilder.h"
#include "tools/ModelGltf.h"
#include "tools/SceneLightsGltf.h"
#include "tools/ShapeCapture.h"
#include "tools/TextureFit.h"
#include "view/COGLViewport3D.h"

namespace {

// The triangle corners a scene's shapes may add up to, whatever it holds: 16,384 texts of
// their own would otherwise take gigabytes. Models have a budget each; no
// more of them are added once the buffer holds this much.
constexpr size_t MAX_SCENE_CORNERS = 1500000;
constexpr size_t MAX_BUFFER_FOR_MODELS = size_t(32) << 20;
// Objects named one a line when left out; the rest are counted.
constexpr size_t MAX_NAMED_LEFT_OUT = 20;

double Finite(double value, double otherwise) {
    return std::isfinite(value) ? value : otherwise;
}

float Unit(float value) {
    return std::isfinite(value) ? std::clamp(value, 0.0f, 1.0f) : 0.0f;
}

tinygltf::Value Numbers(const float* values, int count) {
    tinygltf::Value::Array array;
    for (int i = 0; i < count; i++) {
        array.emplace_back(Finite(values[i], 0.0));
    }
    return tinygltf::Value(array);
}

// A shape drawn once, as accessors every mesh of it shares.
struct Shape {
    CapturedShape captured;
    int  position = -1;
    int  normal = -1;
    int  texCoord = -1;
    int  indices = -1;
};

// How an object's shape is asked for: its key is the same for every object
// that draws the same lists.
struct ShapeRequest {
    std::string    key;
    CaptureOptions options;
    bool           planeMesh = false;   // texture coordinates made over -1..1
};

ShapeRequest RequestFor(const COGLObject& object) {
    ShapeRequest request;
    request.key = object.ClassName();
    if (const auto* text = dynamic_cast<const COGLText*>(&object)) {
        const size_t drawn = std::min(text->text.size(), static_cast<size_t>(std::max(text->count, 0)));
        request.key += " " + text->font.faceName + (text->font.italic ? " italic " : " ") +
                       std::to_string(text->extrusion) + " " + text->text.substr(0, drawn);
        request.options.objectLinearTexCoords = true;
    } else if (const auto* plane = dynamic_cast<const COGLPlane*>(&object);
               plane != nullptr && plane->subdivided && dynamic_cast<const COGLBillboard*>(&object) == nullptr) {
        request.key += " mesh";
        request.options.objectLinearTexCoords = true;
        request.planeMesh = true;
    } else if (dynamic_cast<const COGLCylinder*>(&object) != nullptr) {
        // Built from z = 0 to 2 and drawn moved back by its scaled height:
        // the same as centring the shape itself.
        request.options.zShift = -1.0f;
    }
    return request;
}

class SceneExport {
public:
    SceneExport(CGltfBuilder& builder, const COGLViewport3D& view)
        : builder(builder), cameraTurn(CameraTurn(view.camera)) {}

    int AddObject(COGLObject& object);
    // The lines to tell, the named ones first.
    void TellLeftOut(ExportNotes& notes) const;

    bool usesTextureTransform = false;
    bool usesUnlit = false;

private:
    Shape* ShapeFor(COGLObject& object, const ShapeRequest& request);
    int    TextureFor(const COGLTexture2D& texture);
    int    TexCoordsOf(Shape& shape);
    // The viewer's coordinates, v flipped, moved by transform.
    int    AddTexCoords(const std::vector<float>& texCoords, const UvTransform& transform);
    int    MaterialFor(const COGLObject& object, const TextureFit& fit);
    int    MeshFor(const std::string& key, const Shape& shape, int material, int texCoord);
    int    AddShapeObject(COGLObject& object, tinygltf::Node& node);
    int    AddModelObject(const COGLModel& model, tinygltf::Node& node);
    void   LeaveOut(const COGLObject& object, const std::string& why);

    CGltfBuilder& builder;
    GltfTurn      cameraTurn;
    std::map<std::string, Shape> shapes;
    std::map<const COGLTexture2D*, int> textures;
    std::map<std::vector<double>, int> materials;
    std::map<std::tuple<std::string, int, int>, int> meshes;
    size_t corners = 0;   // of every shape so far
    bool   budgetSpent = false;
    std::vector<std::string> leftOut;
    size_t leftOutCount = 0;
};

void SceneExport::LeaveOut(const COGLObject& object, const std::string& why) {
    if (leftOutCount++ < MAX_NAMED_LEFT_OUT) {
        leftOut.push_back("the object " + object.name + " " + why + "; left out");
    }
}

void SceneExport::TellLeftOut(ExportNotes& notes) const {
    notes.leftOut.insert(notes.leftOut.end(), leftOut.begin(), leftOut.end());
    if (leftOutCount > MAX_NAMED_LEFT_OUT) {
        notes.leftOut.push_back(std::to_string(leftOutCount - MAX_NAMED_LEFT_OUT) + " more objects left out");
    }
}

Shape* SceneExport::ShapeFor(COGLObject& object, const ShapeRequest& request) {
    const auto known = shapes.find(request.key);
    if (known != shapes.end()) {
        return known->second.captured.tooLarge ? nullptr : &known->second;
    }
    Shape& shape = shapes[request.key];
    // Once a shape has not fitted, no other is drawn: each would be drawn
    // whole before it failed.
    if (budgetSpent) {
        shape.captured.tooLarge = true;
        return nullptr;
    }
    CaptureOptions options = request.options;
    options.maxVertices = MAX_SCENE_CORNERS - corners;
    shape.captured = CaptureShape([&] { object.DrawSolid(); }, options);
    budgetSpent = shape.captured.tooLarge;
    // Indexed corners count: a shape may draw more, never past the budget.
    corners += shape.captured.indices.size();
    if (shape.captured.tooLarge) {
        shape.captured = CapturedShape();
        shape.captured.tooLarge = true;
        return nullptr;
    }
    const CapturedShape& captured = shape.captured;
    if (captured.indices.empty()) {
        return &shape;
    }
    shape.position = builder.AddFloats(captured.positions, 3, TINYGLTF_TARGET_ARRAY_BUFFER, true);
    if (!captured.normals.empty()) {
        shape.normal = builder.AddFloats(captured.normals, 3, TINYGLTF_TARGET_ARRAY_BUFFER, false);
    }
    shape.indices = builder.AddIndices(captured.indices);
    // Only the texture coordinates are needed again, for sheared pictures.
    shape.captured.positions = std::vector<float>();
    shape.captured.normals = std::vector<float>();
    shape.captured.indices = std::vector<uint32_t>();
    return &shape;
}

int SceneExport::AddTexCoords(const std::vector<float>& texCoords, const UvTransform& transform) {
    std::vector<float> moved;
    moved.reserve(texCoords.size());
    for (size_t i = 0; i + 1 < texCoords.size(); i += 2) {
        const double u = texCoords[i], v = 1.0 - texCoords[i + 1];
        moved.push_back(static_cast<float>(transform.linear[0] * u + transform.linear[1] * v + transform.offset[0]));
        moved.push_back(static_cast<float>(transform.linear[2] * u + transform.linear[3] * v + transform.offset[1]));
    }
    return builder.AddFloats(moved, 2, TINYGLTF_TARGET_ARRAY_BUFFER, false);
}

int SceneExport::TexCoordsOf(Shape& shape) {
    if (shape.texCoord < 0) {
        shape.texCoord = AddTexCoords(shape.captured.texCoords, UvTransform());
    }
    return shape.texCoord;
}

int SceneExport::TextureFor(const COGLTexture2D& texture) {
    const auto known = textures.find(&texture);
    if (known != textures.end()) {
        return known->second;
    }
    const int index = texture.HasPicture() ? builder.AddTexture(*texture.image, texture.Title()) : -1;
    textures[&texture] = index;
    return index;
}

// Roughness from the viewer's Phong exponent, through the Blinn-Phong
// lobe's usual match: alpha = sqrt(2 / (n + 2)), roughness = sqrt(alpha).
// Without a specular colour nothing shines, however sharp.
double RoughnessOf(const COGLObject& object) {
    const bool shines = Unit(object.specular[0]) > 0.0f || Unit(object.specular[1]) > 0.0f ||
                        Unit(object.specular[2]) > 0.0f;
    if (!shines) {
        return 1.0;
    }
    const double exponent = std::clamp(Finite(object.shininess, 0.0), 0.0, 128.0);
    return std::sqrt(std::sqrt(2.0 / (exponent + 2.0)));
}

int SceneExport::MaterialFor(const COGLObject& object, const TextureFit& fit) {
    const bool billboard = dynamic_cast<const COGLBillboard*>(&object) != nullptr;
    const int texture = object.Texture() != nullptr ? TextureFor(*object.Texture()) : -1;
    // A billboard's picture, and any in GL_REPLACE, is shown as it is, unlit.
    const bool unlit = texture >= 0 && (billboard || object.textureMode == GL_REPLACE);
    const bool blend = object.transparent || billboard;
    std::vector<double> key = { double(texture), unlit ? 1.0 : 0.0, blend ? 1.0 : 0.0, RoughnessOf(object) };
    for (int i = 0; i < 4; i++) {
        key.insert(key.end(), { Unit(object.diffuse[i]), Unit(object.emission[i]), Finite(object.ambient[i], 0.0),
                                Finite(object.specular[i], 0.0) });
    }
    key.insert(key.end(), { Finite(object.shininess, 0.0), fit.offset[0], fit.offset[1], fit.rotation, fit.scale[0],
                            fit.scale[1] });
    const auto known = materials.find(key);
    if (known != materials.end()) {
        return known->second;
    }

    tinygltf::Material material;
    material.name = object.name;
    auto& pbr = material.pbrMetallicRoughness;
    if (unlit) {
        pbr.baseColorFactor = { 1.0, 1.0, 1.0, billboard ? 1.0 : Unit(object.diffuse[3]) };
        material.extensions["KHR_materials_unlit"] = tinygltf::Value(tinygltf::Value::Object());
        usesUnlit = true;
    } else {
        pbr.baseColorFactor = { Unit(object.diffuse[0]), Unit(object.diffuse[1]), Unit(object.diffuse[2]),
                                Unit(object.diffuse[3]) };
    }
    pbr.metallicFactor = 0.0;
    pbr.roughnessFactor = RoughnessOf(object);
    material.emissiveFactor = { Unit(object.emission[0]), Unit(object.emission[1]), Unit(object.emission[2]) };
    material.alphaMode = blend ? "BLEND" : "OPAQUE";
    if (texture >= 0) {
        pbr.baseColorTexture.index = texture;
        if (!fit.IsIdentity()) {
            pbr.baseColorTexture.extensions["KHR_texture_transform"] = fit.Extension();
            usesTextureTransform = true;
        }
    }
    material.extras = tinygltf::Value(tinygltf::Value::Object {
        { "ambient", Numbers(object.ambient, 4) },
        { "specular", Numbers(object.specular, 4) },
        { "shininess", tinygltf::Value(Finite(object.shininess, 0.0)) },
    });
    builder.gltf.materials.push_back(material);
    const int index = static_cast<int>(builder.gltf.materials.size()) - 1;
    materials[key] = index;
    return index;
}

int SceneExport::MeshFor(const std::string& key, const Shape& shape, int material, int texCoord) {
    const auto at = std::make_tuple(key, material, texCoord);
    const auto known = meshes.find(at);
    if (known != meshes.end()) {
        return known->second;
    }
    tinygltf::Primitive primitive;
    primitive.mode = TINYGLTF_MODE_TRIANGLES;
    primitive.material = material;
    primitive.indices = shape.indices;
    primitive.attributes["POSITION"] = shape.position;
    if (shape.normal >= 0) {
        primitive.attributes["NORMAL"] = shape.normal;
    }
    if (texCoord >= 0) {
        primitive.attributes["TEXCOORD_0"] = texCoord;
    }
    tinygltf::Mesh mesh;
    mesh.name = key;
    mesh.primitives.push_back(primitive);
    builder.gltf.meshes.push_back(mesh);
    const int index = static_cast<int>(builder.gltf.meshes.size()) - 1;
    meshes[at] = index;
    return index;
}

int SceneExport::AddShapeObject(COGLObject& object, tinygltf::Node& node) {
    const ShapeRequest request = RequestFor(object);
    Shape* shape = ShapeFor(object, request);
    if (shape == nullptr) {
        LeaveOut(object, "has more triangles than an export holds");
        return -1;
    }
    if (shape->indices >= 0) {
        // A subdivided plane's coordinates run over -1..1, and the viewer's
        // matrix maps them onto the picture's 0..1.
        const CVector& ts = object.textureScale;
        const CVector& tt = object.textureTranslation;
        const UvTransform transform =
            request.planeMesh ? TextureTransform(object, CVector(0.5f * ts.x + tt.x, 0.5f * ts.y + tt.y, tt.z),
                                                 CVector(0.5f * ts.x, 0.5f * ts.y, ts.z))
                              : TextureTransform(object, tt, ts);
        // Coordinates nothing samples would only take room.
        const TextureFit fit = object.Texture() != nullptr ? FitTransform(transform) : TextureFit();
        int texCoord = -1;
        if (object.Texture() != nullptr) {
            // A shear is carried by this object's own coordinates.
            texCoord = fit.fits ? TexCoordsOf(*shape) : AddTexCoords(shape->captured.texCoords, transform);
        }
        node.mesh = MeshFor(request.key, *shape, MaterialFor(object, fit.fits ? fit : TextureFit()), texCoord);
    }
    return builder.AddNode(node);
}

int SceneExport::AddModelObject(const COGLModel& model, tinygltf::Node& node) {
    if (builder.gltf.buffers[0].data.size() > MAX_BUFFER_FOR_MODELS) {
        LeaveOut(model, "would take the export past what it holds");
        return -1;
    }
    ExportNotes notes;
    const int root = AddModelGltf(builder, model, "", notes);
    if (root < 0) {
        LeaveOut(model, notes.refusal);
        return -1;
    }
    for (const std::string& line : notes.leftOut) {
        leftOut.push_back("the model " + model.name + ": " + line);
    }
    // The model's node is turned, scaled and lifted as the viewer does; its
    // place is the object's.
    node.rotation.clear();
    node.scale.clear();
    node.children = { root };
    return builder.AddNode(node);
}

int SceneExport::AddObject(COGLObject& object) {
    tinygltf::Node node;
    node.name = object.name;
    CVector position = object.position;
    if (const auto* text = dynamic_cast<const COGLText*>(&object)) {
        // The text's offset comes after its turn and before its scale.
        CMatrix rotation;
        object.orientation.ToMatrix(rotation);
        CVector turned;
        rotation.TransformVector(text->offset, turned);
        position += turned;
    }
    node.translation = { Finite(position.x, 0.0), Finite(position.y, 0.0), Finite(position.z, 0.0) };
    // A billboard turns to face the camera, whatever its orientation.
    const bool billboard = dynamic_cast<const COGLBillboard*>(&object) != nullptr;
    const GltfTurn turn = billboard ? cameraTurn : GltfTurn::OfViewer(object.orientation);
    if (!turn.IsIdentity()) {
        node.rotation = turn.Values();
    }
    node.scale = { Finite(object.scale.x, 1.0), Finite(object.scale.y, 1.0), Finite(object.scale.z, 1.0) };
    if (!object.IsVisible()) {
        node.extras = tinygltf::Value(tinygltf::Value::Object { { "hidden", tinygltf::Value(true) } });
    }
    if (const auto* model = dynamic_cast<const COGLModel*>(&object)) {
        return AddModelObject(*model, node);
    }
    return AddShapeObject(object, node);
}

}  // namespace

void AddSceneGltf(CGltfBuilder& builder, COGLScene& scene, const COGLViewport3D& view, ExportNotes& notes) {
    SceneExport exporter(builder, view);
    std::vector<int> roots;
    for (const std::unique_ptr<COGLObject>& object : scene.objects) {
        const int node = exporter.AddObject(*object);
        if (node >= 0) {
            roots.push_back(node);
        }
    }
    exporter.TellLeftOut(notes);
    for (const std::unique_ptr<COGLLight>& light : scene.lights) {
        roots.push_back(AddLightNode(builder, *light));
    }
    roots.push_back(AddCameraNode(builder, view));
    builder.SetRoots(roots);

    tinygltf::Model& gltf = builder.gltf;
    gltf.scenes[0].extras = tinygltf::Value(tinygltf::Value::Object {
        { "background", Numbers(scene.backgroundColour, 3) },
        { "ambient", Numbers(scene.ambient, 4) },
    });
    if (exporter.usesTextureTransform) {
        builder.UseExtension("KHR_texture_transform");
    }
    if (exporter.usesUnlit) {
        builder.UseExtension("KHR_materials_unlit");
    }
}

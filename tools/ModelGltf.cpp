#include "tools/ModelGltf.h"

#include "models/COGLHLModel.h"
#include "models/COGLPlayer.h"
#include "models/COGLSprite.h"
#include "tools/CGltfBuilder.h"
#include "tools/HLGltf.h"
#include "tools/MorphGltf.h"
#include "tools/MorphModel.h"
#include "tools/SpriteGltf.h"

namespace {

// A frame-animated model's mesh and animations; -1 with the refusal said
// when it has none to export.
int AddFrameModel(CGltfBuilder& builder, const COGLModel& model, const std::string& animation, size_t shareFrom,
                  ExportNotes& notes) {
    MorphModel morph;
    if (!GatherMorphModel(model, false, morph)) {
        notes.refusal = morph.tooLarge ? "has more frames than an export can hold" : "has no frames";
        return -1;
    }
    if (!animation.empty() && !morph.KeepOnly(animation)) {
        notes.refusal = "has no animation " + animation;
        return -1;
    }
    for (const std::string& name : morph.leftOut) {
        notes.leftOut.push_back("the animation " + name + " has another vertex count than the first and is left out");
    }
    // Copies of a model share its mesh: only the first needs the positions.
    const MorphMaterials materials = AddSkinMaterials(builder, model);
    if (!HasMorphMesh(builder, morph, materials)) {
        GatherMorphModel(model, true, morph);
        if (!animation.empty()) {
            morph.KeepOnly(animation);
        }
    }
    return AddMorphModel(builder, model, morph, materials, shareFrom);
}

// The body and the weapon it carries as two meshes under one node, each
// animation driving both.
int AddPlayer(CGltfBuilder& builder, const COGLPlayer& player, const std::string& animation, ExportNotes& notes) {
    const size_t shareFrom = builder.gltf.animations.size();
    const int body = AddFrameModel(builder, player, animation, shareFrom, notes);
    if (body < 0 || player.weapon == nullptr || !player.weapon->IsLoaded()) {
        return body;
    }
    ExportNotes weaponNotes;
    const int weapon = AddFrameModel(builder, *player.weapon, animation, shareFrom, weaponNotes);
    if (weapon < 0) {
        // A weapon without the animation asked for is left out, as the viewer hides it.
        return body;
    }
    tinygltf::Node group;
    group.name = player.name;
    group.children = { body, weapon };
    return builder.AddNode(group);
}

}  // namespace

int AddModelGltf(CGltfBuilder& builder, const COGLModel& model, const std::string& animation, ExportNotes& notes) {
    if (const auto* player = dynamic_cast<const COGLPlayer*>(&model)) {
        return AddPlayer(builder, *player, animation, notes);
    }
    if (const auto* sprite = dynamic_cast<const COGLSprite*>(&model)) {
        return AddSprite(builder, *sprite, animation, notes);
    }
    if (const auto* hlModel = dynamic_cast<const COGLHLModel*>(&model)) {
        return AddHLModel(builder, *hlModel, animation, notes);
    }
    const int root = AddFrameModel(builder, model, animation, builder.gltf.animations.size(), notes);
    if (root < 0 && notes.refusal == "has no frames") {
        notes.refusal = std::string("is a ") + model.Kind() + ", which export does not take";
    }
    return root;
}

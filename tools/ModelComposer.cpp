#include "tools/ModelComposer.h"

#include "image/COGLTexture2D.h"
#include "models/COGLModel.h"
#include "models/COGLPlayer.h"
#include "models/COGLSBM.h"
#include "models/COGLSprite.h"
#include "platform/BufferedStream.h"
#include "platform/CAssetSource.h"
#include "platform/WindowsPath.h"
#include "platform/CPakFile.h"
#include "tools/CToolScene.h"
#include "tools/FieldReader.h"

using nlohmann::json;

namespace {

std::string FolderOf(const std::string& path) {
    const PathParts parts = SplitPath(path);
    return parts.drive + parts.folder;
}

}  // namespace

CModelComposer::CModelComposer(std::vector<std::string> paths, const std::string& outputPath)
    : pakPaths(std::move(paths)) {
    // The viewer looks for what the scene names beside the scene, so the
    // composer does too; it decodes no picture, only checks the models.
    holder.BeginLoad(FolderOf(outputPath));
    holder.decodesPictures = false;
    // Unopened archives still stand for their index in the records.
    for (size_t i = 0; i < pakPaths.size(); i++) {
        holder.paks.push_back(std::make_unique<CPakFile>());
    }
}

CModelComposer::~CModelComposer() = default;

CPakFile* CModelComposer::Archive(int index) {
    CPakFile* archive = holder.paks[static_cast<size_t>(index)].get();
    const std::string& path = pakPaths[static_cast<size_t>(index)];
    if (archive->GetPath().empty() && !path.empty()) {
        const AssetId located = holder.Assets()->LocateNamed(path);
        if (located.IsValid()) {
            archive->Open(located.path);
        }
    }
    return archive;
}

COGLTexture2D* CModelComposer::AddSkin(const std::string& skinPath, bool useDefaultPalette) {
    auto skin = std::make_unique<COGLTexture2D>(AssetId(), useDefaultPalette);
    skin->path = skinPath;
    skins.push_back(std::move(skin));
    return skins.back().get();
}

// Where a viewer loading the model finds a skin its file names: in the
// model's archive by that name, or on disk beside the model. Empty when it
// finds none; the skin then takes no place in the viewer's list either.
std::string CModelComposer::FileSkinPath(const COGLModel& model, const std::string& skinName) {
    if (model.pak != nullptr) {
        return model.pak->FindEntry(skinName) != nullptr ? skinName : "";
    }
    // A SiN definition names its skins with their folder already.
    if (dynamic_cast<const COGLSBM*>(&model) != nullptr) {
        return IsRegularFile(skinName) ? skinName : "";
    }
    const PathParts parts = SplitPath(skinName);
    const std::string beside = model.folder + parts.name + parts.extension;
    return IsRegularFile(beside) ? beside : "";
}

void CModelComposer::ReadModel(FieldReader& in, const json& node, COGLModel& model) {
    const json* fieldsNode = in.Field(node, "model");
    const json fields = fieldsNode != nullptr ? *fieldsNode : json::object();
    std::string modelPath;
    in.String(fields, "path", modelPath);
    if (modelPath.empty()) {
        in.Fail("a model needs model.path");
        return;
    }
    int32_t pakIndex = -1;
    in.Int(fields, "pak", pakIndex);
    if (pakIndex >= static_cast<int32_t>(pakPaths.size())) {
        in.Fail("model.pak " + std::to_string(pakIndex) + " is not in the archive list");
        return;
    }
    CPakFile* archive = pakIndex >= 0 ? Archive(pakIndex) : nullptr;
    if (auto* sprite = dynamic_cast<COGLSprite*>(&model)) {
        ReadSprite(in, fields, archive, modelPath, *sprite);
        return;
    }
    model.SetResources(&holder);
    const bool found = model.LoadFrom(archive, modelPath, true);
    PrintLoadReport(holder.TakeLoadReport(), nullptr);
    if (found && !model.IsLoaded()) {
        in.Fail(modelPath + " is not a valid model");
        return;
    }
    model.path = modelPath;
    model.pak = archive;
    // Skins the viewer finds by name are listed below, as it finds them;
    // those the model file holds (an MDL's) stay first.
    model.DropNamedSkins();
    model.SetTexture(nullptr);

    std::string animationName;
    in.String(fields, "currentAnimation", animationName);
    if (!animationName.empty()) {
        if (!found) {
            in.Fail("cannot read " + modelPath + " to find its animation \"" + animationName + "\"");
            return;
        }
        // Set by record, as a scene file stores it: a Half-Life model takes
        // its sequences no other way.
        const CModelAnimation* animation = model.FindAnimation(animationName);
        if (animation == nullptr) {
            in.Fail(modelPath + " has no animation \"" + animationName + "\"");
            return;
        }
        model.SetAnimation(animation);
    }
    in.Float(fields, "frameStep", model.frameStep);
    in.Float(fields, "framePosition", model.framePosition);
    int32_t currentFrame = model.CurrentFrame();
    int32_t nextFrame = model.NextFrame();
    float frameFraction = model.FrameFraction();
    in.Int(fields, "currentFrame", currentFrame);
    in.Int(fields, "nextFrame", nextFrame);
    in.Float(fields, "frameFraction", frameFraction);
    model.SetFrames(currentFrame, nextFrame, frameFraction);
    in.Bool(fields, "loop", model.loop);
    in.Bool(fields, "interpolate", model.interpolate);
    bool flipNormals = model.flipNormals;
    in.Bool(fields, "flipNormals", flipNormals);
    model.SetFlipNormals(flipNormals);

    // The file's own skins come first, as a viewer loading the model lists
    // them, then a player's folder pictures, so the chosen skin keeps its
    // position.
    for (const std::string& skinName : model.SkinNames()) {
        const std::string skinPath = FileSkinPath(model, skinName);
        if (!skinPath.empty() && model.FindSkin(skinPath) == nullptr) {
            model.ListSkin(AddSkin(skinPath, false));
        }
    }
    if (auto* player = dynamic_cast<COGLPlayer*>(&model)) {
        ReadPlayer(in, fields, *player, found);
    }
    for (const json& skinNode : in.List(fields, "skins")) {
        std::string skinPath;
        bool useDefaultPalette = false;
        if (skinNode.is_string()) {
            skinPath = skinNode.get<std::string>();
        } else {
            in.String(skinNode, "path", skinPath);
            in.Bool(skinNode, "useDefaultPalette", useDefaultPalette);
        }
        if (!skinPath.empty() && model.FindSkin(skinPath) == nullptr) {
            model.ListSkin(AddSkin(skinPath, useDefaultPalette));
        }
    }
    std::string chosen;
    in.String(node, "texture", chosen);
    if (chosen.empty()) {
        model.SetTexture(model.Skins().empty() ? nullptr : model.Skins().front());
        return;
    }
    model.SetTexture(model.FindSkin(chosen));
    if (model.Texture() == nullptr) {
        in.Fail("texture " + chosen + " is not a skin of " + modelPath);
    }
}

// A sprite finds its frame pictures while it loads, so it reads through the
// holder's texture cache; its record has no skins.
void CModelComposer::ReadSprite(FieldReader& in, const json& fields, CPakFile* archive, const std::string& spritePath,
                                COGLSprite& sprite) {
    sprite.SetResources(&holder);
    const bool found = sprite.LoadFrom(archive, spritePath, true);
    PrintLoadReport(holder.TakeLoadReport(), nullptr);
    if (found && !sprite.IsLoaded()) {
        in.Fail(spritePath + " is not a valid sprite");
        return;
    }
    sprite.path = spritePath;
    sprite.pak = archive;
    in.Float(fields, "frameStep", sprite.frameStep);
    in.Float(fields, "framePosition", sprite.framePosition);
    int32_t currentFrame = sprite.CurrentFrame();
    in.Int(fields, "currentFrame", currentFrame);
    sprite.SetFrames(currentFrame, sprite.NextFrame(), sprite.FrameFraction());
    in.Float(fields, "roll", sprite.roll);
    in.Int(fields, "renderMode", sprite.blendMode);
}

// The player rows, written as given; the weapon index is checked against
// the weapons the folder holds when the model was found.
void CModelComposer::ReadPlayer(FieldReader& in, const json& fields, COGLPlayer& player, bool found) {
    // The weapons and flag the viewer attaches are its own to find; the
    // record keeps the rows as given.
    player.weapon = nullptr;
    player.weapons.clear();
    player.flag.reset();
    if (found && player.pak == nullptr) {
        for (const std::string& skinPath : COGLPlayer::FolderSkins(*holder.Assets(), player.folder)) {
            player.ListSkin(AddSkin(skinPath, false));
        }
    }
    in.Int(fields, "weaponIndex", player.recordWeaponIndex);
    in.Bool(fields, "flagShown", player.recordFlagShown);
    std::string flagSkin = player.recordFlagShown ? "flag2" : "";
    in.String(fields, "flagSkin", flagSkin);
    if (!flagSkin.empty() && flagSkin != "flag1" && flagSkin != "flag2") {
        in.Fail("model.flagSkin must be \"flag1\" or \"flag2\"");
    }
    player.recordFlag1 = flagSkin == "flag1";
    if (!found || player.pak != nullptr || player.recordWeaponIndex < 0) {
        return;
    }
    const size_t weaponCount = COGLPlayer::WeaponFiles(*holder.Assets(), player.folder, true).size();
    if (static_cast<size_t>(player.recordWeaponIndex) >= weaponCount) {
        in.Fail("model.weaponIndex " + std::to_string(player.recordWeaponIndex) + " is past the " +
                std::to_string(weaponCount) + " weapons of " + player.folder);
    }
}

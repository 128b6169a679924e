#include "models/COGLPlayer.h"

#include "image/COGLTexture2D.h"
#include "models/CModelResources.h"
#include "platform/AsciiText.h"
#include "platform/CFile.h"
#include "platform/CPakFile.h"
#include "platform/RecordIO.h"
#include "platform/WindowsPath.h"

namespace {

const char* const FLAG_MODEL = "players/male/flag1.md2";
const char* const FLAG1_SKIN = "players/male/flag1.pcx";
const char* const FLAG2_SKIN = "players/male/flag2.pcx";

// Folder pictures that are no skins: the weapon's and the icons ("_i").
bool IsSkinTitle(const std::string& title) {
    if (EqualsIgnoringAsciiCase(title, "weapon")) {
        return false;
    }
    return title.size() < 2 || !EqualsIgnoringAsciiCase(title.substr(title.size() - 2), "_i");
}

}  // namespace

COGLPlayer::COGLPlayer() {
    typeCode = TYPE_CODE;
}

COGLPlayer::~COGLPlayer() {
    weapon = nullptr;
    weapons.clear();
    flag.reset();
}

void COGLPlayer::Draw(CGLState& gl, int flags) {
    COGLMD2::Draw(gl, flags);
    // A weapon follows its own visibility, which the frame tick may turn
    // back on; a hidden player must not leave it floating.
    if (!IsVisible()) {
        return;
    }
    if (weapon != nullptr) {
        weapon->Draw(gl, flags);
    }
    if (flag != nullptr && flagShown) {
        flag->Draw(gl, flags);
    }
}

void COGLPlayer::Animate() {
    COGLMD2::Animate();
    KeepInStep(weapon);
    if (flagShown) {
        KeepInStep(flag.get());
    }
}

void COGLPlayer::KeepInStep(COGLMD2* model) {
    if (model == nullptr || model->GetAnimation() == nullptr) {
        return;
    }
    if (currentFrame >= model->GetAnimation()->count) {
        model->SetVisible(false);
        return;
    }
    model->SetVisible(true);
    CopyFrames(*model);
}

// A shorter animation holds its last frame where the body's goes on: the
// body's next frame would lie past the attachment's.
void COGLPlayer::CopyFrames(COGLMD2& model) const {
    const CModelAnimation* animation = model.GetAnimation();
    model.SetFrames(currentFrame, animation == nullptr || nextFrame < animation->count ? nextFrame : currentFrame,
                    frameFraction);
}

void COGLPlayer::Save(CFile& file, int textureIndex) const {
    COGLMD2::Save(file, textureIndex);
    CRecordWriter out;
    out.WriteBool(SavedFlagShown());
    out.WriteBool(SavedFlag1());
    out.WriteInt32(SavedWeaponIndex());
    file.Write(out.Bytes().data(), out.Bytes().size());
}

void COGLPlayer::LoadModel(CFile& file, int version, CModelResources& owner) {
    COGLMD2::LoadModel(file, version, owner);
    recordFlagShown = ReadByte(file) != 0;
    recordFlag1 = ReadByte(file) != 0;
    recordWeaponIndex = ReadInt32(file);
    if (flag != nullptr && recordFlagShown) {
        AttachFlag();
        // The scene describes both flag skins of the CTF archive as it loads.
        COGLTexture2D* skin = owner.FindOrLoadTexture(recordFlag1 ? FLAG1_SKIN : FLAG2_SKIN, owner.CtfArchive(), "",
                                                      false, false);
        owner.PrepareTexture(skin);
        flag->SetTexture(skin);
    }
    if (recordWeaponIndex >= 0 && static_cast<size_t>(recordWeaponIndex) < weapons.size()) {
        SetWeapon(weapons[static_cast<size_t>(recordWeaponIndex)].get());
    }
}

bool COGLPlayer::ReadAsset(const AssetId& id) {
    if (!COGLMD2::ReadAsset(id)) {
        return false;
    }
    if (id.InArchive()) {
        return true;
    }
    // Every picture of the folder, the ones the body's file names included:
    // stored skin indices count them that way.
    for (const std::string& skinPath : FolderSkins(*resources->Assets(), folder)) {
        AdoptSkin(resources->FindOrLoadTexture(skinPath, pak, folder, false, false));
    }
    CollectWeapons();
    CollectFlag();
    return true;
}

std::vector<std::string> COGLPlayer::FolderSkins(CAssetSource& assets, const std::string& folder) {
    // A player has a few dozen skins; each is decoded and kept, so a folder of
    // thousands of pictures would hold gigabytes. The first ones keep their
    // indices, which is what stored scenes rely on.
    constexpr size_t MAX_SKINS = 256;
    std::vector<std::string> skinPaths;
    for (const FoundFile& found : assets.FindFiles(folder + "*.pcx")) {
        if (skinPaths.size() < MAX_SKINS && IsSkinTitle(found.title)) {
            skinPaths.push_back(found.path);
        }
    }
    return skinPaths;
}

// In the order the folder lists them: stored weapon indices count that way.
std::vector<std::string> COGLPlayer::WeaponFiles(CAssetSource& assets, const std::string& folder,
                                                 bool visibleWeapons) {
    std::vector<std::string> files;
    const std::vector<FoundFile> defaults = assets.FindFiles(folder + "weapon.md2");
    if (!defaults.empty()) {
        files.push_back(defaults.front().path);
    }
    if (!visibleWeapons) {
        return files;
    }
    for (const char* pattern : { "w_*.md2", "a_*.md2" }) {
        for (const FoundFile& found : assets.FindFiles(folder + pattern)) {
            files.push_back(found.path);
        }
    }
    return files;
}

void COGLPlayer::CollectWeapons() {
    CAssetSource& assets = *resources->Assets();
    for (const std::string& weaponPath : WeaponFiles(assets, folder, resources->VisibleWeaponsEnabled())) {
        const AssetId weaponFile = assets.ResolveFile(weaponPath);
        if (!weaponFile.IsValid()) {
            continue;
        }
        auto model = std::make_unique<COGLMD2>();
        model->source = weaponFile;
        model->path = weaponPath;
        const std::string title = SplitPath(weaponPath).name;
        model->name = EqualsIgnoringAsciiCase(title, "weapon") ? "default" : title;
        AddWeapon(std::move(model));
    }
}

void COGLPlayer::CollectFlag() {
    CPakFile* archive = resources->CtfArchive();
    if (!resources->VisibleWeaponsEnabled() || archive == nullptr) {
        return;
    }
    const AssetId flagFile = resources->Assets()->ResolveEntry(*archive, FLAG_MODEL);
    if (!flagFile.IsValid()) {
        return;
    }
    flag = std::make_unique<COGLMD2>();
    flag->source = flagFile;
    flag->path = FLAG_MODEL;
    flag->pak = archive;
    flag->searchAllPaks = true;
    flag->reportsInvalid = false;
    flag->SetResources(resources);
    HideFlag();
}

void COGLPlayer::AddWeapon(std::unique_ptr<COGLMD2> model) {
    model->searchAllPaks = true;
    model->reportsInvalid = false;
    model->SetResources(resources);
    weapons.push_back(std::move(model));
}

void COGLPlayer::SetWeapon(COGLMD2* model) {
    if (model == nullptr) {
        weapon = nullptr;
        return;
    }
    if (!model->dataLoaded) {
        if (resources == nullptr || resources->Assets() == nullptr) {
            return;
        }
        const std::string keptName = model->name;
        model->recomputeNormals = true;
        if (!model->LoadAsset(model->source)) {
            return;
        }
        model->name = keptName;
    }
    weapon = model;
    SyncAttachment(*model);
}

void COGLPlayer::SyncAttachment(COGLMD2& model) {
    model.SetAmbient(ambient[0], ambient[1], ambient[2], ambient[3]);
    model.SetDiffuse(diffuse[0], diffuse[1], diffuse[2], diffuse[3]);
    model.SetSpecular(specular[0], specular[1], specular[2], specular[3]);
    model.SetEmission(emission[0], emission[1], emission[2], emission[3]);
    model.SetShininess(shininess);
    model.SetTransparent(transparent);
    model.SetScale(scale.x, scale.y, scale.z);
    model.SetPosition(position.x, position.y, position.z);
    model.orientation = orientation;
    model.SetTextureMode(textureMode);
    model.SetVisible(IsVisible());
    model.yOffset = yOffset;
    model.SetFlipNormals(flipNormals);
    if (const CModelAnimation* animation = GetAnimation()) {
        model.SelectAnimation(animation->name);
    }
    CopyFrames(model);
    if (texture == nullptr) {
        model.SetTexture(nullptr);
    } else if (model.Texture() == nullptr) {
        model.SelectFirstSkin();
    }
}

void COGLPlayer::AttachFlag() {
    // Attaching reads and synchronises the flag as it does a weapon.
    COGLMD2* keptWeapon = weapon;
    SetWeapon(flag.get());
    ShowFlag();
    weapon = keptWeapon;
}

void COGLPlayer::ShowFlag() {
    // A flag that could not be read stays hidden; the read is not repeated.
    if (flag != nullptr && flag->dataLoaded) {
        flagShown = true;
        flag->Show();
    }
}

void COGLPlayer::HideFlag() {
    if (flag != nullptr) {
        flagShown = false;
        flag->Hide();
    }
}

bool COGLPlayer::SavedFlagShown() const {
    return flag != nullptr ? flagShown : recordFlagShown;
}

bool COGLPlayer::SavedFlag1() const {
    return flag != nullptr ? flag->Texture() != nullptr && flag->Texture()->Title() == "flag1" : recordFlag1;
}

int32_t COGLPlayer::SavedWeaponIndex() const {
    return weapons.empty() ? recordWeaponIndex : WeaponIndex();
}

int32_t COGLPlayer::WeaponIndex() const {
    for (size_t i = 0; i < weapons.size(); i++) {
        if (weapons[i].get() == weapon) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

void COGLPlayer::SetTexture(COGLTexture2D* newTexture) {
    COGLMD2::SetTexture(newTexture);
    for (COGLMD2* model : { weapon, flag.get() }) {
        if (model == nullptr) {
            continue;
        }
        if (newTexture != nullptr && !model->Skins().empty()) {
            model->SetTexture(model->Skins().front());
        } else {
            model->SetTexture(nullptr);
        }
    }
}

void COGLPlayer::SetAnimation(const CModelAnimation* animation) {
    COGLMD2::SetAnimation(animation);
    if (animation == nullptr) {
        return;
    }
    for (COGLMD2* model : { weapon, flag.get() }) {
        if (model != nullptr) {
            model->SelectAnimation(animation->name);
        }
    }
}

void COGLPlayer::SetAmbient(float r, float g, float b, float a) {
    COGLMD2::SetAmbient(r, g, b, a);
    Forward(&COGLObject::SetAmbient, r, g, b, a);
}
void COGLPlayer::SetAmbientAlpha(float a) {
    COGLMD2::SetAmbientAlpha(a);
    Forward(&COGLObject::SetAmbientAlpha, a);
}
void COGLPlayer::SetDiffuse(float r, float g, float b, float a) {
    COGLMD2::SetDiffuse(r, g, b, a);
    Forward(&COGLObject::SetDiffuse, r, g, b, a);
}
void COGLPlayer::SetDiffuseAlpha(float a) {
    COGLMD2::SetDiffuseAlpha(a);
    Forward(&COGLObject::SetDiffuseAlpha, a);
}
void COGLPlayer::SetSpecular(float r, float g, float b, float a) {
    COGLMD2::SetSpecular(r, g, b, a);
    Forward(&COGLObject::SetSpecular, r, g, b, a);
}
void COGLPlayer::SetSpecularAlpha(float a) {
    COGLMD2::SetSpecularAlpha(a);
    Forward(&COGLObject::SetSpecularAlpha, a);
}
void COGLPlayer::SetEmission(float r, float g, float b, float a) {
    COGLMD2::SetEmission(r, g, b, a);
    Forward(&COGLObject::SetEmission, r, g, b, a);
}
void COGLPlayer::SetEmissionAlpha(float a) {
    COGLMD2::SetEmissionAlpha(a);
    Forward(&COGLObject::SetEmissionAlpha, a);
}
void COGLPlayer::SetShininess(float s) {
    COGLMD2::SetShininess(s);
    Forward(&COGLObject::SetShininess, s);
}
void COGLPlayer::SetVisible(bool show) {
    COGLMD2::SetVisible(show);
    Forward(&COGLObject::SetVisible, show);
}
void COGLPlayer::Show() {
    COGLMD2::Show();
    Forward(&COGLObject::Show);
}
void COGLPlayer::Hide() {
    COGLMD2::Hide();
    Forward(&COGLObject::Hide);
}
void COGLPlayer::SetTransparent(bool on) {
    COGLMD2::SetTransparent(on);
    Forward(&COGLObject::SetTransparent, on);
}
void COGLPlayer::RotateX(float degrees) {
    COGLMD2::RotateX(degrees);
    Forward(&COGLObject::RotateX, degrees);
}
void COGLPlayer::RotateY(float degrees) {
    COGLMD2::RotateY(degrees);
    Forward(&COGLObject::RotateY, degrees);
}
void COGLPlayer::RotateZ(float degrees) {
    COGLMD2::RotateZ(degrees);
    Forward(&COGLObject::RotateZ, degrees);
}
void COGLPlayer::SetScale(float x, float y, float z) {
    COGLMD2::SetScale(x, y, z);
    Forward(&COGLObject::SetScale, x, y, z);
}
void COGLPlayer::SetScaleX(float x) {
    COGLMD2::SetScaleX(x);
    Forward(&COGLObject::SetScaleX, x);
}
void COGLPlayer::SetScaleY(float y) {
    COGLMD2::SetScaleY(y);
    Forward(&COGLObject::SetScaleY, y);
}
void COGLPlayer::SetScaleZ(float z) {
    COGLMD2::SetScaleZ(z);
    Forward(&COGLObject::SetScaleZ, z);
}
void COGLPlayer::Move(float dx, float dy, float dz) {
    COGLMD2::Move(dx, dy, dz);
    Forward(&COGLObject::Move, dx, dy, dz);
}
void COGLPlayer::SetPosition(float x, float y, float z) {
    COGLMD2::SetPosition(x, y, z);
    Forward(&COGLObject::SetPosition, x, y, z);
}
void COGLPlayer::SetPositionX(float x) {
    COGLMD2::SetPositionX(x);
    Forward(&COGLObject::SetPositionX, x);
}
void COGLPlayer::SetPositionY(float y) {
    COGLMD2::SetPositionY(y);
    Forward(&COGLObject::SetPositionY, y);
}
void COGLPlayer::SetPositionZ(float z) {
    COGLMD2::SetPositionZ(z);
    Forward(&COGLObject::SetPositionZ, z);
}
void COGLPlayer::SetTextureMode(int mode) {
    COGLMD2::SetTextureMode(mode);
    Forward(&COGLObject::SetTextureMode, mode);
}
void COGLPlayer::SetFlipNormals(bool flip) {
    COGLMD2::SetFlipNormals(flip);
    Forward(&COGLModel::SetFlipNormals, flip);
}

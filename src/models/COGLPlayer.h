#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "models/COGLMD2.h"

// A Quake II player: an MD2 body that carries a weapon and, in capture-the-
// flag scenes, a flag. A body read from a folder on disk also takes every
// skin picture of the folder, the folder's default weapon and, with visible
// weapons on, every "w_*.md2" and "a_*.md2" there; the flag comes from the
// scene's CTF archive. Weapons and flag are plain MD2 models the player owns
// and keeps in step with itself: every setter, the animation and the frame
// reach them, and they are drawn right after the body. Scene type code 13.
class COGLPlayer : public COGLMD2 {
public:
    static constexpr int32_t TYPE_CODE = 13;

    COGLPlayer();
    // The weapons and the flag go before the body's skins.
    ~COGLPlayer() override;

    const char* ClassName() const override { return "COGLPlayer"; }

    // The body, then the weapon, then the flag when it is shown; nothing of
    // a hidden player.
    void Draw(CGLState& gl, int flags) override;
    // The body's tick, then the weapon's and the shown flag's frames made
    // the body's; an attachment whose animation is shorter hides meanwhile.
    void Animate() override;
    // The MD2 record, then flag shown, flag skin "flag1" and weapon index.
    void Save(CFile& file, int textureIndex) const override;
    void LoadModel(CFile& file, int version, CModelResources& owner) override;

    void SetAmbient(float r, float g, float b, float a) override;
    void SetAmbientAlpha(float a) override;
    void SetDiffuse(float r, float g, float b, float a) override;
    void SetDiffuseAlpha(float a) override;
    void SetSpecular(float r, float g, float b, float a) override;
    void SetSpecularAlpha(float a) override;
    void SetEmission(float r, float g, float b, float a) override;
    void SetEmissionAlpha(float a) override;
    void SetShininess(float s) override;
    void SetVisible(bool show) override;
    void Show() override;
    void Hide() override;
    void SetTransparent(bool on) override;
    void RotateX(float degrees) override;
    void RotateY(float degrees) override;
    void RotateZ(float degrees) override;
    void SetScale(float x, float y, float z) override;
    void SetScaleX(float x) override;
    void SetScaleY(float y) override;
    void SetScaleZ(float z) override;
    void Move(float dx, float dy, float dz) override;
    void SetPosition(float x, float y, float z) override;
    void SetPositionX(float x) override;
    void SetPositionY(float y) override;
    void SetPositionZ(float z) override;
    void SetTextureMode(int mode) override;
    void SetFlipNormals(bool flip) override;
    // Null untextures the attachments too; a texture gives each its own
    // first skin.
    void SetTexture(COGLTexture2D* newTexture) override;
    // The attachments switch to their animation of the same name, or hide.
    void SetAnimation(const CModelAnimation* animation) override;

    void AddWeapon(std::unique_ptr<COGLMD2> model);
    // Attaches one of weapons (null: none), reading it on first use, which
    // needs a load in progress; a model that cannot be read is not attached
    // and nothing is said.
    void SetWeapon(COGLMD2* model);
    // Reads the flag on first use and shows it, when it can be read.
    void AttachFlag();
    void ShowFlag();
    void HideFlag();
    // Position of the attached weapon in weapons, -1 for none.
    int32_t WeaponIndex() const;
    // The player rows as Save writes them.
    bool    SavedFlagShown() const;
    bool    SavedFlag1() const;
    int32_t SavedWeaponIndex() const;

    // What a player in folder (ending with a separator) takes from it: the
    // skin pictures, and the weapon models in the order weapon indices
    // count them ("weapon.md2" first, then visible weapons when asked for).
    static std::vector<std::string> FolderSkins(CAssetSource& assets, const std::string& folder);
    static std::vector<std::string> WeaponFiles(CAssetSource& assets, const std::string& folder, bool visibleWeapons);

    std::vector<std::unique_ptr<COGLMD2>> weapons;
    bool     flagShown = false;
    COGLMD2* weapon = nullptr;   // one of weapons
    std::unique_ptr<COGLMD2> flag;

    // Rows of the record the player had nothing to apply to (no flag model,
    // no weapons to choose from): written back as they were read, so a scene
    // read without its CTF archive or its player folder keeps them.
    bool    recordFlagShown = false;
    bool    recordFlag1 = false;
    int32_t recordWeaponIndex = -1;

protected:
    // The body; for a body on disk also the folder's skins, default and
    // visible weapons and the flag. None of the attachments is read until it
    // is first attached.
    bool ReadAsset(const AssetId& id) override;

private:
    void CollectWeapons();
    void CollectFlag();
    void SyncAttachment(COGLMD2& model);
    void KeepInStep(COGLMD2* model);
    void CopyFrames(COGLMD2& model) const;

    // The same operation with the same arguments on the weapon, then on the
    // flag, each when there is one.
    template <typename Operation, typename... Args>
    void Forward(Operation operation, Args... args) {
        if (weapon != nullptr) {
            (weapon->*operation)(args...);
        }
        if (flag != nullptr) {
            (flag.get()->*operation)(args...);
        }
    }
};

#include <GL/gl.h>

#include <memory>
#include <string>
#include <vector>

#include "image/COGLTexture2D.h"
#include "models/COGLPlayer.h"
#include "models/Md2Bytes.h"
#include "support/ModelFileFixture.h"
#include "support/RealFiles.h"

namespace {

// A wall of every frame of the given groups, over the left (body) or the
// right (weapon, flag) half of the view.
std::string Walls(const std::vector<std::pair<std::string, int>>& groups, bool right) {
    Md2Layout layout;
    for (const auto& [group, count] : groups) {
        for (int i = 1; i <= count; i++) {
            layout.frames.push_back(Wall(group + std::to_string(i), right ? 0.0f : -40.0f, 40, 0));
        }
    }
    layout.Run(4).Vertex(0, 0, 0).Vertex(1, 0, 1).Vertex(0, 1, 2).Vertex(1, 1, 3).End();
    return Text(layout.Write());
}

const std::string body = Walls({ { "stand", 3 }, { "run", 2 } }, false);
// The weapon's stand ends its file: a frame past that animation is past every frame.
const std::string gun = Walls({ { "run", 2 }, { "stand", 2 } }, true);

class Player : public CModelFileFixture {
protected:
    // The body, its pictures and weapons, in a folder of their own.
    std::string WriteFolder(const std::vector<std::string>& weaponFiles) {
        const std::string tris = folder.Write("players/grunt/tris.md2", body);
        for (const char* picture : { "GRUNT.PCX", "grunt_I.pcx", "Weapon.pcx", "b.pcx" }) {
            folder.Write(std::string("players/grunt/") + picture, TinyPcx());
        }
        for (const std::string& file : weaponFiles) {
            folder.Write("players/grunt/" + file, gun);
        }
        return tris;
    }
    // The body's record, the folder written with weaponFiles, wearing GRUNT.PCX.
    ModelRecord GruntRecord(const std::vector<std::string>& weaponFiles) {
        ModelRecord md2;
        md2.path = WriteFolder(weaponFiles);
        md2.animationIndex = 0;
        md2.skins = { { 0, folder.Path("players/grunt/b.pcx") }, { 0, folder.Path("players/grunt/GRUNT.PCX") } };
        md2.skinIndex = 1;
        return md2;
    }
    static Bytes PlayerRecord(const ModelRecord& md2, bool flagShown, bool flag1, int32_t weaponIndex) {
        Bytes b = md2.Write(6);
        b.U8(flagShown ? 1 : 0).U8(flag1 ? 1 : 0).I32(weaponIndex);
        return b;
    }
};

}  // namespace

TEST_F(Player, TheRecordNamesTheWeaponAndComesBackAsItWasRead) {
    scene->vwepEnabled = true;
    folder.Write("players/grunt/w_bad.md2", "not a model");
    const ModelRecord md2 = GruntRecord({ "weapon.md2", "w_gun.md2" });
    // Weapons: default, w_bad, w_gun. A flag row without a CTF archive is
    // read and shows nothing.
    const Bytes record = PlayerRecord(md2, true, true, 2);
    COGLPlayer& player = ReadAs<COGLPlayer>(record);
    ASSERT_TRUE(player.IsLoaded());
    ASSERT_EQ(player.weapon, player.weapons[2].get());
    EXPECT_EQ(player.weapon->name, "w_gun");
    EXPECT_EQ(player.weapon->GetAnimation()->name, "stand");
    EXPECT_EQ(player.weapon->Texture(), nullptr);  // it has no skins of its own
    EXPECT_EQ(player.flag, nullptr);

    // Saved as read: the flag rows too, though there was no flag to show.
    ExpectSavesBack(player, record);

    // A player stored in an archive reads only its model: no weapons to
    // choose from, and the record's choice is kept for the next save.
    ASSERT_EQ(scene->FindOrOpenPak(folder.Write("pak0.pak", PakOf({ { "players/grunt/tris.md2", body } }))), 0);
    ModelRecord stored = md2;
    stored.path = "players/grunt/tris.md2";
    stored.pakIndex = 0;
    stored.skins.clear();
    stored.skinIndex = -1;
    const Bytes archived = PlayerRecord(stored, false, false, 2);
    COGLPlayer& fromArchive = ReadAs<COGLPlayer>(archived);
    EXPECT_TRUE(fromArchive.IsLoaded());
    EXPECT_TRUE(fromArchive.weapons.empty());
    ExpectSavesBack(fromArchive, archived);

    // An invalid weapon is not attached, and nothing is said; an index past
    // the list leaves the player unarmed.
    for (int32_t index : { 1, 3, -1 }) {
        EXPECT_EQ(ReadAs<COGLPlayer>(PlayerRecord(md2, false, false, index)).weapon, nullptr) << index;
    }
    EXPECT_EQ(reports.Errors(*scene), "");
}

// Without visible weapons a player has only its default one, read on its
// first attachment, once for every player of the folder.
TEST_F(Player, TheWeaponFollowsTheBodyAndHidesPastItsOwnFrames) {
    glDisable(GL_LIGHTING);
    glColor3f(1.0f, 1.0f, 1.0f);
    const std::string tris = WriteFolder({ "weapon.md2", "w_b.md2" });
    scene->BeginLoad("");
    COGLPlayer& player = LoadPath<COGLPlayer>(tris);
    COGLPlayer& other = LoadPath<COGLPlayer>(tris);
    player.SetPosition(0.0f, -1.0f, 0.0f);
    player.frameStep = 1.0f;
    ASSERT_EQ(player.weapons.size(), 1u);
    EXPECT_FALSE(player.weapons[0]->dataLoaded);
    player.SelectAnimation("stand");
    player.SetWeapon(player.weapons[0].get());
    other.SetWeapon(other.weapons[0].get());
    scene->EndLoad();
    ASSERT_NE(player.weapon, nullptr);
    ASSERT_NE(other.weapon, nullptr);
    EXPECT_EQ(player.weapon->data, other.weapon->data);
    EXPECT_NE(player.weapon, other.weapon);

    // stand has three frames for the body, two for the weapon: frame 2 shows
    // no weapon, and the third tick wraps to frame 0.
    const bool expectedWeapon[] = { true, false, true, true };
    for (bool shown : expectedWeapon) {
        player.Animate();
        Redraw(player);
        EXPECT_GT(PixelAt(-1.0f, 0.0f).r, 100) << "frame " << player.CurrentFrame();
        EXPECT_EQ(PixelAt(1.0f, 0.0f).r > 100, shown) << "frame " << player.CurrentFrame();
        EXPECT_EQ(player.weapon->CurrentFrame(), shown ? player.CurrentFrame() : player.weapon->CurrentFrame());
    }

    // Moves, scales and materials reach the weapon.
    player.Move(0.0f, 1.0f, 0.0f);
    player.SetScale(0.025f, 0.025f, 0.025f);  // half height: y 0 .. 1
    EmissionOnlyLighting();
    player.SetEmission(0.0f, 1.0f, 0.0f, 1.0f);
    player.SetDiffuse(0.0f, 0.0f, 0.0f, 1.0f);
    player.SetAmbient(0.0f, 0.0f, 0.0f, 1.0f);
    Redraw(player);
    ExpectSpots({ { -0.5f, 0.5f, 0, 255, 0 }, { 0.5f, 0.5f, 0, 255, 0 }, { 0.5f, -0.5f, 0, 0, 0 } });

    // A hidden player takes its weapon with it, whatever the tick says.
    player.SetVisible(false);
    player.Animate();
    Redraw(player);
    EXPECT_TRUE(ColorNear(PixelAt(0.5f, 0.5f), 0, 0, 0));
}

TEST_F(Player, TheFlagComesFromTheCtfArchiveWithTheSkinTheRecordNames) {
    glDisable(GL_LIGHTING);
    glColor3f(1.0f, 1.0f, 1.0f);
    const std::string pak = folder.Write("ctf.pak", PakOf({ { "players/male/flag1.md2", gun },
                                                            { "players/male/flag1.pcx", TinyPcx(255, 0, 0) },
                                                            { "players/male/flag2.pcx", TinyPcx(0, 0, 255) } }));
    scene->vwepEnabled = true;
    scene->ctfPak = scene->GetPak(scene->FindOrOpenPak(pak));
    ASSERT_NE(scene->ctfPak, nullptr);
    const ModelRecord md2 = GruntRecord({});
    for (const auto& [flag1, r, b] : { std::tuple { true, 255, 0 }, std::tuple { false, 0, 255 } }) {
        SCOPED_TRACE(flag1 ? "flag1" : "flag2");
        COGLPlayer& player = ReadAs<COGLPlayer>(PlayerRecord(md2, true, flag1, -1));
        ASSERT_NE(player.flag, nullptr);
        player.SetPosition(0.0f, -1.0f, 0.0f);
        player.orientation = COGLMD2().orientation;
        player.flag->orientation = player.orientation;
        player.SetScale(0.05f, 0.05f, 0.05f);
        Redraw(player);
        EXPECT_TRUE(ColorNear(PixelAt(1.0f, 0.0f), r, 0, b));

        const std::vector<uint8_t> saved = SavedBytes([&](CFile& file) { player.Save(file, -1); });
        EXPECT_EQ(saved[saved.size() - 6], 1);
        EXPECT_EQ(saved[saved.size() - 5], flag1 ? 1 : 0);

        // No texture on the player leaves the attachments without theirs.
        player.SetTexture(nullptr);
        EXPECT_EQ(player.flag->Texture(), nullptr);
        player.HideFlag();
        Redraw(player);
        EXPECT_TRUE(ColorNear(PixelAt(1.0f, 0.0f), 0, 0, 0));
    }
}

// Real player folders: the skins the body names and then the folder's
// pictures, and the weapons, in the order Windows lists them (upper-cased,
// byte by byte). Each weapon attaches.
TEST_F(Player, RealFoldersGiveTheSkinsAndWeaponsAListingSays) {
    const std::filesystem::path players = testData / "player/didux-quake/players";
    if (!std::filesystem::exists(players)) {
        GTEST_SKIP() << "no player test data";
    }
    const struct {
        const char* folder;
        std::vector<std::string> skins;
        std::vector<std::string> weapons;
    } expected[] = {
        { "male", { "elkan" },
          { "default", "w_bfg", "w_blaster", "w_chaingun", "w_glauncher", "w_hyperblaster", "w_machinegun", "w_railgun",
            "w_rlauncher", "w_shotgun", "w_sshotgun" } },
        { "warvet",
          { "a_m61frag", "FLAK", "GRUNT", "joltblue", "joltred", "r2blue", "r2red", "SCOUT", "warvet", "w_akimbo",
            "w_cannon", "w_knife", "w_m4", "w_mk23", "w_mp5", "w_sniper", "w_super90" },
          { "default", "w_akimbo", "w_cannon", "w_knife", "w_m4", "w_mk23", "w_mp5", "w_sniper", "w_super90",
            "a_m61frag" } },
    };
    EXPECT_EQ(TestDataFiles("player", "/tris.md2").size(), std::size(expected)) << "a player without a row";
    scene->vwepEnabled = true;
    for (const auto& real : expected) {
        SCOPED_TRACE(real.folder);
        scene->BeginLoad("");  // weapons are read as they are first attached
        COGLPlayer& player = LoadPath<COGLPlayer>((players / real.folder / "tris.md2").string());
        std::vector<std::string> skins, weapons;
        for (const COGLTexture2D* skin : player.Skins()) skins.push_back(skin->Title());
        for (const auto& weapon : player.weapons) {
            weapons.push_back(weapon->name);
            player.SetWeapon(weapon.get());
            EXPECT_EQ(player.weapon, weapon.get()) << weapon->name;
        }
        EXPECT_EQ(skins, real.skins);
        EXPECT_EQ(weapons, real.weapons);
        scene->EndLoad();
    }
}

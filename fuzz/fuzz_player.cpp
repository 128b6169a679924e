// A player record names a folder whose weapons load when the record picks
// one, and a flag from the CTF archive: any record bytes after the model's
// path must load, attach, animate and save within the data, or be refused.
// The folder, a good and a broken weapon and the archive are made once.
#include <cstddef>
#include <cstdint>
#include <algorithm>
#include <string>

#include "fuzz/FuzzSetUp.h"
#include "models/COGLPlayer.h"
#include "models/Md2Bytes.h"
#include "platform/CFile.h"
#include "platform/CFileException.h"
#include "scene/COGLScene.h"

namespace {

std::string Model(const std::vector<std::string>& groups) {
    Md2Layout layout;
    for (const std::string& group : groups) {
        layout.frames.push_back(Wall(group + "1", -40.0f, 40, 0));
        layout.frames.push_back(Wall(group + "2", -40.0f, 40, 7));
    }
    layout.skins = { "skin.pcx" };
    layout.Run(4).Vertex(0, 0, 0).Vertex(1, 0, 1).Vertex(0, 1, 2).Vertex(1, 1, 3).End();
    return Text(layout.Write());
}

// The player folder's body path, and the CTF archive's.
struct Folder {
    std::string body;
    std::string ctf;
};

const Folder& MakeFolder() {
    static const Folder folder = [] {
        WriteFuzzFile("grunt/skin.pcx", TinyPcx());
        WriteFuzzFile("grunt/weapon.md2", Model({ "stand", "run" }));
        WriteFuzzFile("grunt/w_broken.md2", "IDP2 not a model");
        WriteFuzzFile("grunt/a_short.md2", Model({ "pain" }));
        return Folder { WriteFuzzFile("grunt/tris.md2", Model({ "stand", "run", "pain" })),
                        WriteFuzzFile("ctf.pak", PakOf({ { "players/male/flag1.md2", Model({ "run" }) },
                                                         { "players/male/flag1.pcx", TinyPcx(255, 0, 0) } })) };
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetUpReading();
    const Folder& folder = MakeFolder();

    // The object prefix from the input, then the folder's body, then the
    // rest of the input as the model's and the player's rows.
    constexpr size_t PREFIX_SIZE = 271;
    Bytes record;
    record.Raw(data, std::min(size, PREFIX_SIZE)).Fill(PREFIX_SIZE - std::min(size, PREFIX_SIZE));
    record.Field(folder.body.c_str(), 260).I32(-1);
    if (size > PREFIX_SIZE) {
        record.Raw(data + PREFIX_SIZE, size - PREFIX_SIZE);
    }

    COGLScene scene;
    scene.vwepEnabled = true;
    scene.BeginLoad(FuzzFolder());
    scene.ctfPak = scene.GetPak(scene.FindOrOpenPak(folder.ctf));
    CFile file;
    if (!file.OpenMemory(record.bytes.data(), record.Size())) {
        return 0;
    }
    COGLPlayer player;
    try {
        player.LoadModel(file, 6, scene);
    } catch (const CFileException&) {
        return 0;  // the record ended early: the loader reports it
    }
    player.StartAnimation();
    for (int tick = 0; tick < 6; tick++) {
        player.Animate();
    }
    for (const auto& weapon : player.weapons) {
        player.SetWeapon(weapon.get());
        player.Animate();
    }
    scene.EndLoad();
    player.SetTexture(nullptr);
    player.SetVisible(false);
    CFile sink;
    if (sink.Open("/dev/null", CFile::modeWrite)) {
        player.Save(sink, -1);
    }
    return 0;
}

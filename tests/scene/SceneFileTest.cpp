#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "image/COGLTexture2D.h"
#include "models/Md2Bytes.h"
#include "objects/COGLLight.h"
#include "objects/COGLText.h"
#include "platform/StringTable.h"
#include "scene/COGLScene.h"
#include "scene/SceneFile.h"
#include "support/CapturedReports.h"
#include "support/GameFiles.h"
#include "support/GLTest.h"
#include "support/SceneBytes.h"
#include "view/COGLViewport3D.h"
#include "platform/CSettingsStore.h"
#include "platform/SettingsKeys.h"

namespace {

class SceneFile : public GLTest {
protected:
    void TearDown() override {
        scene.reset();
        GLTest::TearDown();
    }

    SceneOpenResult Open(const Bytes& bytes, const std::string& name = "scene.tvn") {
        const std::string path = folder.Write(name, std::string(bytes.bytes.begin(), bytes.bytes.end()));
        return OpenSceneFile(path, *scene, viewport);
    }
    std::string Errors() { return reports.Errors(*scene); }

    CTestFolder folder;
    CCapturedReports reports;
    CSettingsStore settings { reports.Folder().Path("TAV.ini") };
    COGLViewport3D viewport { settings };
    std::unique_ptr<COGLScene> scene = std::make_unique<COGLScene>();
};

}  // namespace

// Each refusal ends the load with one clear message and keeps what was read.
TEST_F(SceneFile, BadFilesAreAbortedWithAClearMessage) {
    SceneHeader header;
    header.version = 4;
    const Bytes old = header.Write();
    header.version = 6;
    header.objects = 3;
    Bytes cut = header.Write();
    AppendObject(cut, 2, -1);
    AppendObject(cut, 3, -1);
    cut.bytes.resize(cut.Size() - 100);
    header.objects = 2000000000;  // more than the file can hold
    header.lights = 3;
    const Bytes huge = header.Write();
    const std::string exception = "An execption occured while loading the scene file.\r\n";
    const struct { const char* name; Bytes bytes; std::string error; size_t objects; } cases[] = {
        { "old.tvn", Bytes().Text("TAV1").I32(6), folder.Path("old.tvn") + " is not a TAV File.\r\n", 0 },
        { "empty.tvn", Bytes(), folder.Path("empty.tvn") + " is not a TAV File.\r\n", 0 },
        { "three.tvn", Bytes().Text("TAV"), folder.Path("three.tvn") + " is not a TAV File.\r\n", 0 },
        { "v4.tvn", old, folder.Path("v4.tvn") + " is not compatable with this version of TAV.\r\n", 0 },
        { "cut.tvn", cut, exception, 1 },
        { "huge.tvn", huge, exception, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        reports.Clear();
        scene = std::make_unique<COGLScene>();
        EXPECT_EQ(Open(c.bytes, c.name), SceneOpenResult::aborted);
        EXPECT_EQ(Errors(), c.error);
        EXPECT_EQ(scene->objects.size(), c.objects);
        EXPECT_TRUE(scene->lights.empty());
    }
    reports.Clear();
    EXPECT_EQ(OpenSceneFile(folder.Path("none.tvn"), *scene, viewport), SceneOpenResult::aborted);
    EXPECT_EQ(OpenSceneFile(folder.Path(), *scene, viewport), SceneOpenResult::aborted);  // a folder
    EXPECT_EQ(Errors(), "Error opening scene file: " + folder.Path("none.tvn") + "\r\n" +
                        "Error opening scene file: " + folder.Path() + "\r\n");
}

// The model's file is read whole; in a process that cannot have that much
// memory the load must end like a damaged file, not end the program. The
// load runs in a fresh process: one that has run OpenGL has other threads'
// heaps, which would serve the allocation in spite of the limit.
TEST(SceneFileMemory, RunningOutOfMemoryIsReportedLikeADamagedFile) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "an address-space limit and the address sanitizer's shadow memory do not mix";
#else
    if (const char* scenePath = std::getenv("ORRIN_TEST_SCENE_WITHOUT_MEMORY")) {
        long pages = 0;
        FILE* statm = std::fopen("/proc/self/statm", "r");
        if (statm == nullptr || std::fscanf(statm, "%ld", &pages) != 1) _exit(3);
        std::fclose(statm);
        // Room for the load's small allocations, not for the model's file,
        // which must come from a new mapping.
        mallopt(M_MMAP_THRESHOLD, 1 << 20);
        const rlim_t limit = static_cast<rlim_t>(pages) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (16u << 20);
        const rlimit addressSpace = { limit, limit };
        if (setrlimit(RLIMIT_AS, &addressSpace) != 0) _exit(3);
        CCapturedReports reports;
        CSettingsStore settings { reports.Folder().Path("TAV.ini") };
        COGLViewport3D viewport { settings };
        COGLScene scene;
        const bool aborted = OpenSceneFile(scenePath, scene, viewport) == SceneOpenResult::aborted;
        _exit(aborted && reports.Errors(scene) == "An execption occured while loading the scene file.\r\n" ? 0 : 1);
    }
    CTestFolder folder;
    const std::string model = folder.Write("big.md2", "");
    std::filesystem::resize_file(model, 30u << 20);  // sparse: nothing is written
    SceneHeader header;
    header.objects = 1;
    Bytes bytes = header.Write();
    ModelRecord record;
    record.path = model;
    const Bytes md2 = record.Write(6);
    bytes.I32(12).Raw(md2.bytes.data(), md2.Size());
    const std::string scenePath = folder.Write("big.tvn", std::string(bytes.bytes.begin(), bytes.bytes.end()));

    const pid_t child = fork();
    ASSERT_NE(child, -1);
    if (child == 0) {
        setenv("ORRIN_TEST_SCENE_WITHOUT_MEMORY", scenePath.c_str(), 1);
        execl("/proc/self/exe", "orrin_tests",
              "--gtest_filter=SceneFileMemory.RunningOutOfMemoryIsReportedLikeADamagedFile", nullptr);
        _exit(4);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "the load ended the process (signal " << WTERMSIG(status) << ")";
    EXPECT_EQ(WEXITSTATUS(status), 0) << "not reported as an aborted load";
#endif
}

// A texture whose archive is not there is left out and the later ones move
// up; a loose texture is found in the scene's folder wherever it was; one
// found nowhere is listed at the end.
TEST_F(SceneFile, ARejectedTextureShiftsTheLaterOnesAndLooseOnesAreFoundBesideTheScene) {
    folder.Write("skin.pcx", TinyPcx());
    SceneHeader header;
    header.textures = 3;
    header.objects = 2;
    Bytes bytes = header.Write();
    AppendTexture(bytes, 3, "pics/none.pcx");                    // no archive 3: rejected
    AppendTexture(bytes, -1, "D:\\Old Scenes\\maps\\skin.pcx");  // becomes index 0
    const std::string fullField(260, 'x');                       // no terminator: all 260 are the path
    bytes.I32(-1).U8(0).Raw(fullField.data(), fullField.size());
    AppendObject(bytes, 2, 0);
    AppendObject(bytes, 3, 1);                                   // past the table: no texture
    EXPECT_EQ(Open(bytes), SceneOpenResult::incomplete);
    EXPECT_EQ(Errors(), "The following files could not be loaded:\r\n    " + fullField + "\r\n");
    ASSERT_EQ(scene->textures.size(), 1u);
    EXPECT_EQ(scene->textures[0]->path, folder.Path("skin.pcx"));
    ASSERT_EQ(scene->objects.size(), 2u);
    EXPECT_EQ(scene->objects[0]->Texture(), scene->textures[0].get());
    EXPECT_TRUE(scene->textures[0]->HasPicture());
    EXPECT_EQ(scene->objects[1]->Texture(), nullptr);
}

// A text record is longer than the others: what follows it still loads.
TEST_F(SceneFile, MixedRecordsAndTheShadowSlotsThatPointIntoThem) {
    SceneHeader header;
    header.lights = 2;
    header.objects = 6;
    header.shadows = true;
    header.shadowLights[0] = -1;
    header.shadowLights[1] = 0;
    header.shadowLights[3] = 2;   // one past the lights: a light that no longer exists
    header.shadowPlanes[0] = 1;
    Bytes bytes = header.Write();
    AppendPointLight(bytes, 0);
    bytes.I32(7).Field("Spot", 100).Fill(208 - 100);  // any non-zero type is a spot
    AppendObject(bytes, 2, -1);
    bytes.I32(19);                // unknown: its four bytes only, and no place in the list
    AppendObject(bytes, 1, -1);   // the floor is object 1
    bytes.U8(0);                  // its tail: not subdivided
    AppendObject(bytes, 7, -1, SampleTextRecord("Orrin", "Arial", true, false));
    AppendObject(bytes, 3, -1);
    bytes.I32(-4);
    bytes.F32(99.0f);             // trailing bytes are ignored
    EXPECT_EQ(Open(bytes), SceneOpenResult::loaded);
    ASSERT_EQ(scene->lights.size(), 2u);
    EXPECT_STREQ(scene->lights[0]->ClassName(), "COGLPointLight");
    EXPECT_STREQ(scene->lights[1]->ClassName(), "COGLSpotLight");
    EXPECT_FALSE(scene->lights[0]->Marker().IsVisible());  // markers hidden after loading
    ASSERT_EQ(scene->objects.size(), 4u);
    EXPECT_STREQ(scene->objects[0]->ClassName(), "COGLBox");
    EXPECT_EQ(scene->objects[0]->name, "Crate");
    EXPECT_EQ(static_cast<COGLText&>(*scene->objects[2]).text, "Orrin");
    EXPECT_STREQ(scene->objects[3]->ClassName(), "COGLSphere");
    EXPECT_EQ(scene->Shadows().planes[0], scene->objects[1].get());
    EXPECT_EQ(scene->Shadows().lightCount, 1);  // slot 1 resolved and counted
    EXPECT_FALSE(scene->Shadows().enabled);     // but slot 0 decides
}

TEST_F(SceneFile, OneArchiveForTwoFieldsAndNothingForAnInvalidOne) {
    const std::string pak = folder.Write("pak0.pak", PakOf({ { "pics/skin.pcx", TinyPcx() } }));
    folder.Write("notapak.pak", "this is not an archive");
    SceneHeader header;
    header.paks = { pak, folder.Path("notapak.pak"), pak };
    header.textures = 1;
    header.objects = 1;
    Bytes bytes = header.Write();
    AppendTexture(bytes, 0, "PICS/SKIN.PCX");
    AppendObject(bytes, 2, 0);
    EXPECT_EQ(Open(bytes), SceneOpenResult::loaded);
    EXPECT_EQ(scene->paks.size(), 1u);  // the null slot of the invalid one is compacted away
    EXPECT_EQ(Errors(), folder.Path("notapak.pak") + ": Not a valid Quake2 Pak file.\r\n");
    EXPECT_EQ(scene->GetPak(-1), nullptr);
    EXPECT_EQ(scene->GetPak(1), nullptr);
    ASSERT_EQ(scene->textures.size(), 1u);
    EXPECT_EQ(scene->textures[0]->source.archive, scene->GetPak(0));
    EXPECT_NE(scene->objects[0]->Texture(), nullptr);

    // The first slot stays, even empty: later fields count from it.
    scene = std::make_unique<COGLScene>();
    header.paks = { folder.Path("notapak.pak"), pak };
    header.textures = header.objects = 0;
    EXPECT_EQ(Open(header.Write()), SceneOpenResult::loaded);
    ASSERT_EQ(scene->paks.size(), 2u);
    EXPECT_EQ(scene->GetPak(0), nullptr);
    EXPECT_NE(scene->GetPak(1), nullptr);
}

// With visible weapons on, the scene opens the VWep and CTF archives its
// settings name and caches their skins; a skin that is missing is told once
// and the load goes on.
TEST_F(SceneFile, VisibleWeaponsBringTheirArchivesAndSkins) {
    const std::string vwep = folder.Write("vwep.pak", PakOf({ { "models/weapons/g_blast/base.pcx", TinyPcx() } }));
    const std::string ctf = folder.Write("ctf.pak", PakOf({ { "players/male/flag1.pcx", TinyPcx() },
                                                            { "players/male/flag2.pcx", TinyPcx() } }));
    CSettingsStore vwepSettings { reports.Folder().Path("vwep.ini") };
    vwepSettings.Write(Setting::vwepEnabled, 1);
    vwepSettings.Write(Setting::vwepPakFile, vwep);
    vwepSettings.Write(Setting::ctfPakFile, ctf);
    scene->settings = &vwepSettings;
    SceneHeader header;
    header.usesVWep = true;
    EXPECT_EQ(Open(header.Write()), SceneOpenResult::loaded);
    EXPECT_TRUE(scene->vwepEnabled);
    ASSERT_EQ(scene->paks.size(), 2u);
    EXPECT_EQ(scene->vwepPak, scene->GetPak(0));
    EXPECT_EQ(scene->ctfPak, scene->GetPak(1));
    EXPECT_EQ(scene->textureCache.Size(), 3u);
    EXPECT_EQ(Errors(), std::string(GetStringResource(112)));

    vwepSettings.Write(Setting::vwepEnabled, 0);  // off: nothing is opened
    scene = std::make_unique<COGLScene>();
    scene->settings = &vwepSettings;
    EXPECT_EQ(Open(header.Write(), "off.tvn"), SceneOpenResult::loaded);
    EXPECT_TRUE(scene->paks.empty());
}

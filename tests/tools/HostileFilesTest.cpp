// Files written to hurt: small ones that claim far more than their bytes
// hold, or name one thing many times. tvntool, held to 512 MB, must end each
// within its time with the exit and message it should give, and tell each
// fault a few times rather than once per repeat.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "models/HlBytes.h"
#include "models/Md2Bytes.h"
#include "models/SpriteBytes.h"
#include "support/SceneBytes.h"
#include "support/SinFiles.h"
#include "support/TestFolder.h"
#include "support/TestJpeg.h"
#include "support/ToolRun.h"

namespace {

using namespace hl_hostile;

constexpr int32_t TYPE_MD2 = 12;
const char* const EXCEPTION = "An execption occured while loading the scene file.";
const char* const TOO_MANY_FRAMES = "more frames than an export can hold";

using Folder = const CTestFolder&;

struct Hostile {
    const char* what;
    std::string (*write)(const CTestFolder&);   // the file tvntool is given
    const char* commands;                        // run one by one, each to the same end
    int         exitCode;
    const char* message;                         // in standard error; "" for none expected
    size_t      maxTimesTold = 0;                // of that message, all errors under 32 KB; 0 for no limit
};

std::vector<std::string> Arguments(const std::string& command, const std::string& file, const CTestFolder& folder) {
    if (command == "render") return { "render", file, "-o", folder.Path("out.png"), "--size", "64x64" };
    if (command == "thumbnail") return { "thumbnail", file, folder.Path("t.png"), "128" };
    if (command == "export") return { "export", file, "-o", folder.Path("out.glb") };
    if (command == "export-gltf") return { "export", file, "-o", folder.Path("out.gltf") };
    return { command, file };
}

size_t Count(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); !what.empty() && at != std::string::npos; at = text.find(what, at + 1)) {
        count++;
    }
    return count;
}

void ExpectEachEndsInTime(const std::vector<Hostile>& rows) {
    if (!CanLimitTool()) {
        GTEST_SKIP() << "a sanitizer build's shadow memory does not fit the limit";
    }
    for (const Hostile& row : rows) {
        SCOPED_TRACE(row.what);
        const CTestFolder folder;
        const std::string file = row.write(folder);
        std::istringstream commands(row.commands);
        for (std::string command; commands >> command;) {
            const ToolRun run = RunToolLimited(Arguments(command, file, folder));
            EXPECT_EQ(run.exitCode, row.exitCode) << command << ": " << Describe(run);
            EXPECT_NE(run.errors.find(row.message), std::string::npos) << command << ": " << Describe(run);
            EXPECT_LT(run.seconds, 10.0) << command << ": " << Describe(run);
            if (row.maxTimesTold > 0) {
                EXPECT_LE(Count(run.errors, row.message), row.maxTimesTold) << command << ": " << Describe(run);
                EXPECT_LT(run.errorBytes, 32768u) << command << ": " << Describe(run);
            }
        }
    }
}

// One frame of three vertices and one strip of corners over them.
Md2Layout Md2Strip(int32_t frames, int32_t corners, const std::vector<std::string>& skins) {
    Md2Layout layout;
    layout.skins = skins;
    for (int32_t i = 0; i < frames; i++) {
        const uint8_t x = static_cast<uint8_t>(i);
        layout.frames.push_back(NamedFrame("stand", { { x, 0, 0, 0 }, { 0, x, 9, 0 }, { 9, 0, x, 0 } }));
    }
    layout.Run(corners);
    for (int32_t i = 0; i < corners; i++) {
        layout.Vertex(0, 0, i % 3);
    }
    layout.End();
    return layout;
}

std::string Md2File(const CTestFolder& f, int32_t frames, int32_t corners, const std::vector<std::string>& skins = {}) {
    return f.Write("m.md2", Text(Md2Strip(frames, corners, skins).Write()));
}

std::string Mkfifo(const CTestFolder& folder, const std::string& name) {
    const std::string path = folder.Path(name);
    EXPECT_EQ(mkfifo(path.c_str(), 0600), 0) << path;
    return path;
}

// prefix0suffix, prefix1suffix, ... count names.
std::vector<std::string> Numbered(const std::string& prefix, int count, const std::string& suffix) {
    std::vector<std::string> names;
    for (int i = 0; i < count; i++) {
        names.push_back(prefix + std::to_string(i) + suffix);
    }
    return names;
}

std::string SinDef(const CTestFolder& f, std::vector<std::string> lines) {
    f.Write("m.sbm", Text(SinMesh().Group().Strip({ { 0, 0, 0 }, { 0, 1, 1 }, { 1, 0, 2 } }).End().Write()));
    f.Write("a.sam", Text(SinSharedFrames(3, 1)));
    lines.insert(lines.begin(), "m.sbm");
    return f.Write("m.def", SinDefinition(lines));
}

// A definition naming one 30 MB animation file under 100 names.
std::string SinNamingOneAnimation100Times(const CTestFolder& f) {
    f.Write("b.sam", Text(SinSharedFrames(30 << 18, 1)));
    return SinDef(f, Numbered("a", 100, " b.sam"));
}

// An MDL header of skins 1 x 1 skins and frames frames, the rest of its counts one.
Bytes MdlHeader(int32_t skins, int32_t frames) {
    Bytes b;
    b.Text("IDPO").I32(6).F32(1).F32(1).F32(1).Fill(12).F32(10).Fill(12);
    b.I32(skins).I32(1).I32(1).I32(0).I32(0).I32(frames).Fill(12);
    return b;
}

// A text sprite of the picture names, one a line.
std::string TextSprite(const CTestFolder& f, const std::vector<std::string>& pictures) {
    std::string text = "SPRT\r\n";
    for (const std::string& picture : pictures) {
        text += picture + "\r\n";
    }
    return f.Write("s.spr", text);
}

std::string HlFile(const CTestFolder& f, const std::vector<uint8_t>& model) {
    return f.Write("h.mdl", HlText(model));
}

const std::vector<Hostile> models = {
    { "an MD2 naming one skin 8,000 times",
      [](Folder f) {
          f.Write("skin.tga", TinyTga(64, 64, 1, 2, 3));
          return Md2File(f, 1, 3, std::vector<std::string>(8000, "skin.tga"));
      },
      "model", 0, "" },
    { "an MD2 of 65,536 skin names, every other one missing",
      [](Folder f) {
          f.Write("skin.tga", TinyTga(4, 4, 1, 2, 3));
          std::vector<std::string> skins = Numbered("gone", 65536, ".tga");
          for (size_t i = 1; i < skins.size(); i += 2) {
              skins[i] = "skin.tga";
          }
          return Md2File(f, 1, 3, skins);
      },
      "model", 1, "gone0.tga" },
    { "an MD2 whose skin is a JPEG of 8,192 x 8,192",
      [](Folder f) {
          const std::vector<uint8_t> jpeg = EncodeTestJpeg(8192, 8192, 3, { true, false, false });
          f.Write("big.jpg", std::string(jpeg.begin(), jpeg.end()));
          return Md2File(f, 1, 3, { "big.jpg" });
      },
      "model", 0, "" },
    { "an MD2 naming 200 missing skins in a folder of 20,000 files",
      [](Folder f) {
          for (const std::string& name : Numbered("f", 20000, ".dat")) {
              std::ofstream(f.Path(name));
          }
          return Md2File(f, 1, 3, Numbered("none", 200, ".pcx"));
      },
      "model", 1, "the skin none199.pcx was not found" },
    { "an MD2 whose skin is a FIFO",
      [](Folder f) {
          Mkfifo(f, "fifo.pcx");
          return Md2File(f, 1, 3, { "fifo.pcx" });
      },
      "model", 1, "the skin fifo.pcx was not found" },
    { "an MD2 of 600,000 one-vertex frames, each its own animation",
      [](Folder f) {
          Md2Layout layout = Md2Strip(0, 3, {});
          for (int i = 0; i < 600000; i++) {
              layout.frames.push_back(NamedFrame(i % 2 != 0 ? "a" : "b", { { 0, 0, 0, 0 } }));
          }
          layout.commands = Bytes().I32(0);
          return f.Write("m.md2", Text(layout.Write()));
      },
      "model", 2, "Not a valid MD2 File." },
    { "a player whose weapon's normals are recomputed over 60,000 frames of 30,000 corners",
      [](Folder f) {
          f.Write("players/x/weapon.md2", Text(Md2Strip(60000, 30000, {}).Write()));
          const std::string body = f.Write("players/x/tris.md2", Text(Md2Strip(1, 3, {}).Write()));
          // A scene's player record attaches the weapon it names.
          const std::string scene = f.Write("s.json", R"({ "objects": [ { "class": "COGLPlayer", "model": { "path": ")" +
                                                          body + R"(", "weaponIndex": 0 } } ] })");
          RunToolLimited({ "compose", scene, "-o", f.Path("s.tvn") });
          return f.Path("s.tvn");
      },
      "info", 0, "" },
    { "an MDL of a million 1 x 1 skins",
      [](Folder f) {
          Bytes b = MdlHeader(1000000, 1);
          for (int i = 0; i < 1000000; i++) {
              b.I32(0).U8(5);
          }
          return f.Write("m.mdl", Text(b.I32(0).Fill(8).Field("stand", 16)));
      },
      "model", 2, "Not a valid MDL" },
    { "an MDL of a million frames without vertices, each its own animation",
      [](Folder f) {
          Bytes b = MdlHeader(0, 1000000);
          for (int i = 0; i < 1000000; i++) {
              b.I32(0).Fill(8).Field(i % 2 != 0 ? "a" : "b", 16);
          }
          return f.Write("m.mdl", Text(b));
      },
      "model", 2, "Not a valid MDL" },
    { "a SiN animation of 300,000 frames on one block of 100,000 vertices",
      [](Folder f) {
          f.Write("b.sam", Text(SinSharedFrames(100000, 300000)));
          return SinDef(f, { "idle b.sam" });
      },
      "model", 0, "" },
    { "a SiN definition naming one 30 MB animation 100 times", SinNamingOneAnimation100Times, "model", 0, "" },
    { "exported: a SiN definition naming one 30 MB animation 100 times", SinNamingOneAnimation100Times, "export",
      2, TOO_MANY_FRAMES },
    { "exported: an MD2 of 60,000 frames over a 30,000-corner list",
      [](Folder f) { return Md2File(f, 60000, 30000); }, "export", 2, TOO_MANY_FRAMES },
    { "exported: an MD2 of 80 frames over a 30,000-corner list, just within the budget",
      [](Folder f) { return Md2File(f, 80, 30000); }, "export-gltf", 0, "" },
    { "exported: an MD2 of 2,000 three-vertex frames, just within the budget",
      [](Folder f) { return Md2File(f, 2000, 3); }, "export", 0, "" },
    { "exported: an indexed sprite of 65,536 one-pixel frames",
      [](Folder f) { return f.Write("s.spr", IndexedSprite(0, std::vector<IndexedFrame>(65536, { 1, 1 }), {})); },
      "export", 2, TOO_MANY_FRAMES },
    { "exported: a Half-Life sequence of 1.8 million frames, each channel on one chain of 7,000 runs",
      [](Folder f) { return HlFile(f, SequencesSharingRuns(1, 7000)); }, "export", 2, TOO_MANY_FRAMES },
    { "a SiN mesh of 50 groups of 20,000 corners and 300 animations of other vertex counts",
      [](Folder f) {
          SinMesh mesh;
          for (int g = 0; g < 50; g++) {
              mesh.Group().Word(20000);
              for (int i = 0; i < 20000; i++) {
                  mesh.Word(0).Word(0).Word(i % 3);
              }
              mesh.End();
          }
          std::vector<std::string> lines;
          for (int k = 0; k < 300; k++) {
              const std::string name = "a" + std::to_string(k);
              f.Write(name + ".sam", Text(SinSharedFrames(3 + k, 1)));
              lines.push_back(name + " " + name + ".sam");
          }
          const std::string definition = SinDef(f, lines);
          f.Write("m.sbm", Text(mesh.Write()));
          return definition;
      },
      "model", 0, "" },
    { "a SiN definition of a million skin lines",
      [](Folder f) {
          f.Write("s.tga", TinyTga(4, 4, 1, 2, 3));
          std::vector<std::string> lines = { "idle a.sam" };
          lines.insert(lines.end(), 1000000, "s s.tga");
          return SinDef(f, lines);
      },
      "model", 0, "" },
    { "a SiN mesh that is a FIFO",
      [](Folder f) {
          const std::string definition = SinDef(f, { "idle a.sam" });
          std::filesystem::remove(f.Path("m.sbm"));
          Mkfifo(f, "m.sbm");
          return definition;
      },
      "model", 2, "Cannot locate the Model (.sbm) file." },
    { "a text sprite naming one picture in 2,048 spellings",
      [](Folder f) {
          f.Write("abcdefghijk.tga", TinyTga(64, 64, 1, 2, 3));
          std::vector<std::string> names(2048, "abcdefghijk.tga");
          for (size_t k = 0; k < names.size(); k++) {
              for (size_t i = 0; i < 11; i++) {
                  names[k][i] = (k >> i & 1) != 0 ? static_cast<char>(names[k][i] - 'a' + 'A') : names[k][i];
              }
          }
          return TextSprite(f, names);
      },
      "model", 0, "" },
    { "a text sprite of 100,000 frames",
      [](Folder f) {
          f.Write("a.tga", TinyTga(4, 4, 1, 2, 3));
          return TextSprite(f, std::vector<std::string>(100000, "a.tga"));
      },
      "model", 2, "Error reading sprite" },
    { "a sprite naming 20,000 archive entries",
      [](Folder f) {
          const std::vector<std::string> pictures = Numbered("p", 20000, ".tga");
          std::vector<std::pair<std::string, std::string>> entries;
          for (const std::string& picture : pictures) {
              entries.push_back({ picture, TinyTga(1, 1, 1, 2, 3) });
          }
          entries.push_back({ "s.sp2", Quake2Sprite(pictures, 1) });
          return f.Write("m.pak", PakOf(entries)) + ":s.sp2";
      },
      "model", 0, "" },
};

// Many records over data that lies in the file once, and companions that are
// no files; each is loaded, drawn and made a thumbnail of.
const char* const EVERY_USE = "model render thumbnail";

std::string HlBesideAFifo(const CTestFolder& f, const HlLayout& layout, const std::string& companion) {
    Mkfifo(f, companion);
    return HlFile(f, layout.Write());
}

const std::vector<Hostile> halfLifeModels = {
    { "100,000 meshes over one strip of 30,000 corners",
      [](Folder f) { return HlFile(f, MeshesSharingAStrip(100000, 30000)); }, EVERY_USE, 2, "(corners drawn)" },
    { "4,000 sequences of 127 million frames, every channel on one 1 MB chain of runs",
      [](Folder f) { return HlFile(f, SequencesSharingRuns(4000, 500000)); }, EVERY_USE, 2, "(animation data)" },
    { "5,000 texture records on one 256 x 256 block",
      [](Folder f) { return HlFile(f, TexturesSharingABlock(5000, 256)); }, EVERY_USE, 2, "(texture count)" },
    { "1,000 texture records on one 256 x 256 block",
      [](Folder f) { return HlFile(f, TexturesSharingABlock(1000, 256)); }, EVERY_USE, 2, "(texture sizes)" },
    { "1,000 body parts over one table of 20,000 sub-models",
      [](Folder f) { return HlFile(f, BodyPartsSharingSubModels(1000, 20000)); }, EVERY_USE, 2,
      "(sub-models of a body part)" },
    { "a FIFO as the texture file",
      [](Folder f) {
          HlLayout noTextures;
          noTextures.textures.clear();
          return HlBesideAFifo(f, noTextures, "hT.mdl");
      },
      EVERY_USE, 2, "unable to open" },
    { "a FIFO as the sequence-group file",
      [](Folder f) {
          HlLayout twoGroups;
          twoGroups.groupCount = 2;
          return HlBesideAFifo(f, twoGroups, "h01.mdl");
      },
      EVERY_USE, 2, "unable to open" },
};

// An MD2 of 4 MB: 1,000 frames of 1,000 vertices.
std::string LargeMd2() {
    Md2Layout layout;
    for (const std::string& name : Numbered("frame", 1000, "")) {
        layout.frames.push_back(NamedFrame(name, std::vector<Md2Vertex>(1000, { 1, 2, 3, 0 })));
    }
    layout.Run(3).Vertex(0, 0, 0).Vertex(0, 1, 1).Vertex(1, 0, 2).End();
    return Text(layout.Write());
}

// A scene whose header claims lights, objects and textures, each record of
// them appended by record.
std::string SceneOf(const CTestFolder& f, int32_t lights, int32_t objects, int32_t textures,
                    const std::function<void(Bytes&, int)>& record = nullptr) {
    SceneHeader header;
    header.lights = lights;
    header.objects = objects;
    header.textures = textures;
    Bytes b = header.Write();
    for (int i = 0; record && i < header.lights + header.objects + header.textures; i++) {
        record(b, i);
    }
    return f.Write("s.tvn", Text(b));
}

// A scene of copies records of one MD2 record naming model.
std::string ModelCopies(const CTestFolder& f, const std::string& model, int copies) {
    ModelRecord record;
    record.path = model;
    const Bytes md2 = record.Write(6);
    return SceneOf(f, 0, copies, 0, [&](Bytes& b, int) { b.I32(TYPE_MD2).Raw(md2.bytes.data(), md2.Size()); });
}

const std::vector<Hostile> scenes = {
    { "2^31 lights claimed by a small file", [](Folder f) { return SceneOf(f, 0x7fffffff, 0, 0); },
      "info", 2, EXCEPTION, 1 },
    { "a sparse 3 GB file claiming 500 million lights",
      [](Folder f) {
          const std::string path = SceneOf(f, 500000000, 0, 0);
          std::filesystem::resize_file(path, 3ull << 30);
          return path;
      },
      "info", 2, EXCEPTION, 1 },
    { "4,000 lights, eight of them with a unit",
      [](Folder f) { return SceneOf(f, 4000, 0, 0, [](Bytes& b, int) { AppendPointLight(b, 0); }); },
      "info", 0, "No more lights are available.", 4 },
    { "20,000 boxes, more than any scene holds",
      [](Folder f) { return SceneOf(f, 0, 20000, 0, [](Bytes& b, int) { AppendObject(b, 2, -1); }); },
      "render", 2, EXCEPTION, 1 },
    { "the scene named as its own archive 20,000 times",
      [](Folder f) {
          SceneHeader header;
          header.paks.assign(20000, f.Path("s.tvn"));
          return f.Write("s.tvn", Text(header.Write()));
      },
      "info", 1, "Not a valid Quake2 Pak file.", 1 },
    { "10,000 missing pictures",
      [](Folder f) {
          return SceneOf(f, 0, 0, 10000,
                         [](Bytes& b, int i) { AppendTexture(b, -1, "gone" + std::to_string(i) + ".pcx"); });
      },
      "info", 1, "gone1.pcx", 1 },
    { "a FIFO as the scene", [](Folder f) { return Mkfifo(f, "fifo.tvn"); }, "info", 2,
      "Error opening scene file", 1 },
    { "one forged model named by 1,000 records",
      [](Folder f) { return ModelCopies(f, f.Write("forged.md2", "IDP2 and nothing a model needs"), 1000); },
      "info", 1, "Not a valid MD2 File.", 4 },
    // Copies share one mesh, drawn and exported.
    { "one 4 MB model named by 1,000 records",
      [](Folder f) { return ModelCopies(f, f.Write("big.md2", LargeMd2()), 1000); },
      "render export", 0, "", 1 },
    { "16,384 texts of their own, exported",
      [](Folder f) {
          return SceneOf(f, 0, 16384, 0, [](Bytes& b, int i) {
              const std::string text = "Wm@" + std::to_string(i) + std::string(25, '#');
              AppendObject(b, 7, -1, SampleTextRecord(text, "Arial", true, false));
          });
      },
      "export", 1, "more objects left out", 1 },
};

}  // namespace

TEST(HostileModels, EndInTimeWithinMemory) {
    ExpectEachEndsInTime(models);
}

TEST(HostileHalfLife, ModelsClaimingMoreThanTheirBytesAreRefusedInTimeAndMemory) {
    ExpectEachEndsInTime(halfLifeModels);
}

TEST(HostileScenes, EndInTimeAndMemoryWithTheirMessagesToldAFewTimes) {
    ExpectEachEndsInTime(scenes);
}

// Model, player and sprite files that claim far more than their bytes hold,
// or name one thing many times, run through tvntool held to 512 MB: each
// must end in its time with the exit and message it should give.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "models/HlBytes.h"
#include "models/Md2Bytes.h"
#include "models/SpriteBytes.h"
#include "support/SinFiles.h"
#include "support/TestFolder.h"
#include "support/TestJpeg.h"
#include "support/ToolRun.h"

namespace {

std::string Str(const Bytes& bytes) {
    return std::string(bytes.bytes.begin(), bytes.bytes.end());
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

std::string Md2File(int32_t frames, int32_t corners, const std::vector<std::string>& skins) {
    return Str(Md2Strip(frames, corners, skins).Write());
}

std::string Mkfifo(const CTestFolder& folder, const std::string& name) {
    const std::string path = folder.Path(name);
    mkfifo(path.c_str(), 0600);
    return path;
}

std::string SinDef(const CTestFolder& folder, const std::vector<std::string>& lines) {
    return folder.Write("m.def", SinDefinition(lines));
}

std::string TriangleMesh() {
    return Str(SinMesh().Group().Strip({ { 0, 0, 0 }, { 0, 1, 1 }, { 1, 0, 2 } }).End().Write());
}

// A definition naming one 30 MB animation file under 100 names.
std::string SinNamingOneAnimation100Times(const CTestFolder& f) {
    f.Write("m.sbm", TriangleMesh());
    f.Write("a.sam", Str(SinSharedFrames(30 << 18, 1)));
    std::vector<std::string> lines = { "m.sbm" };
    for (int i = 0; i < 100; i++) {
        lines.push_back("a" + std::to_string(i) + " a.sam");
    }
    return SinDef(f, lines);
}

struct HostileCase {
    const char* what;
    // Writes the files into the folder and gives tvntool's arguments.
    std::function<std::vector<std::string>(const CTestFolder&)> make;
    int         exitCode;
    const char* message;   // in standard error; empty for none expected
};

const HostileCase cases[] = {
    { "an MD2 naming one skin 8,000 times",
      [](const CTestFolder& f) {
          f.Write("skin.tga", TinyTga(64, 64, 1, 2, 3));
          return std::vector<std::string> { "model", f.Write("m.md2", Md2File(1, 3, std::vector<std::string>(8000, "skin.tga"))) };
      },
      0, "" },
    { "an MD2 of 65,536 skin names, every other one missing",
      [](const CTestFolder& f) {
          f.Write("skin.tga", TinyTga(4, 4, 1, 2, 3));
          std::vector<std::string> skins;
          for (int i = 0; i < 65536; i++) {
              skins.push_back(i % 2 != 0 ? "skin.tga" : "gone" + std::to_string(i) + ".tga");
          }
          return std::vector<std::string> { "model", f.Write("m.md2", Md2File(1, 3, skins)) };
      },
      1, "gone0.tga" },
    { "an MD2 whose skin is a JPEG of 8,192 x 8,192",
      [](const CTestFolder& f) {
          const std::vector<uint8_t> jpeg = EncodeTestJpeg(8192, 8192, 3, { true, false, false });
          f.Write("big.jpg", std::string(jpeg.begin(), jpeg.end()));
          return std::vector<std::string> { "model", f.Write("m.md2", Md2File(1, 3, { "big.jpg" })) };
      },
      0, "" },
    { "an MD2 naming 200 missing skins in a folder of 20,000 files",
      [](const CTestFolder& f) {
          for (int i = 0; i < 20000; i++) {
              std::ofstream(f.Path("f" + std::to_string(i) + ".dat"));
          }
          std::vector<std::string> skins;
          for (int i = 0; i < 200; i++) {
              skins.push_back("none" + std::to_string(i) + ".pcx");
          }
          return std::vector<std::string> { "model", f.Write("m.md2", Md2File(1, 3, skins)) };
      },
      1, "the skin none199.pcx was not found" },
    { "an MD2 whose skin is a FIFO",
      [](const CTestFolder& f) {
          Mkfifo(f, "fifo.pcx");
          return std::vector<std::string> { "model", f.Write("m.md2", Md2File(1, 3, { "fifo.pcx" })) };
      },
      1, "the skin fifo.pcx was not found" },
    { "an MD2 of 600,000 one-vertex frames, each its own animation",
      [](const CTestFolder& f) {
          Md2Layout layout = Md2Strip(0, 3, {});
          for (int i = 0; i < 600000; i++) {
              layout.frames.push_back(NamedFrame(i % 2 != 0 ? "a" : "b", { { 0, 0, 0, 0 } }));
          }
          layout.commands = Bytes().I32(0);
          return std::vector<std::string> { "model", f.Write("m.md2", Str(layout.Write())) };
      },
      2, "Not a valid MD2 File." },
    { "a player whose weapon's normals are recomputed over 60,000 frames of 30,000 corners",
      [](const CTestFolder& f) {
          f.Write("players/x/weapon.md2", Md2File(60000, 30000, {}));
          const std::string body = f.Write("players/x/tris.md2", Md2File(1, 3, {}));
          // A scene's player record attaches the weapon it names.
          const std::string scene = f.Write("s.json", R"({ "objects": [ { "class": "COGLPlayer", "model": { "path": ")" +
                                                          body + R"(", "weaponIndex": 0 } } ] })");
          RunToolLimited({ "compose", scene, "-o", f.Path("s.tvn") });
          return std::vector<std::string> { "info", f.Path("s.tvn") };
      },
      0, "" },
    { "an MDL of a million 1 x 1 skins",
      [](const CTestFolder& f) {
          Bytes b;
          b.Text("IDPO").I32(6).F32(1).F32(1).F32(1).Fill(12).F32(10).Fill(12);
          b.I32(1000000).I32(1).I32(1).I32(0).I32(0).I32(1).Fill(12);
          for (int i = 0; i < 1000000; i++) {
              b.I32(0).U8(5);
          }
          b.I32(0).Fill(8).Field("stand", 16);
          return std::vector<std::string> { "model", f.Write("m.mdl", Str(b)) };
      },
      2, "Not a valid MDL" },
    { "an MDL of a million frames without vertices, each its own animation",
      [](const CTestFolder& f) {
          Bytes b;
          b.Text("IDPO").I32(6).F32(1).F32(1).F32(1).Fill(12).F32(10).Fill(12);
          b.I32(0).I32(1).I32(1).I32(0).I32(0).I32(1000000).Fill(12);
          for (int i = 0; i < 1000000; i++) {
              b.I32(0).Fill(8).Field(i % 2 != 0 ? "a" : "b", 16);
          }
          return std::vector<std::string> { "model", f.Write("m.mdl", Str(b)) };
      },
      2, "Not a valid MDL" },
    { "a SiN animation of 300,000 frames on one block of 100,000 vertices",
      [](const CTestFolder& f) {
          f.Write("m.sbm", TriangleMesh());
          f.Write("a.sam", Str(SinSharedFrames(100000, 300000)));
          return std::vector<std::string> { "model", SinDef(f, { "m.sbm", "idle a.sam" }) };
      },
      0, "" },
    { "a SiN definition naming one 30 MB animation 100 times",
      [](const CTestFolder& f) { return std::vector<std::string> { "model", SinNamingOneAnimation100Times(f) }; },
      0, "" },
    { "exported: a SiN definition naming one 30 MB animation 100 times",
      [](const CTestFolder& f) {
          return std::vector<std::string> { "export", SinNamingOneAnimation100Times(f), "-o", f.Path("m.glb") };
      },
      2, "more frames than an export can hold" },
    { "exported: an MD2 of 60,000 frames over a 30,000-corner list",
      [](const CTestFolder& f) {
          return std::vector<std::string> { "export", f.Write("m.md2", Md2File(60000, 30000, {})), "-o",
                                            f.Path("m.glb") };
      },
      2, "more frames than an export can hold" },
    { "exported: an MD2 of 80 frames over a 30,000-corner list, just within the budget",
      [](const CTestFolder& f) {
          return std::vector<std::string> { "export", f.Write("m.md2", Md2File(80, 30000, {})), "-o",
                                            f.Path("m.gltf") };
      },
      0, "" },
    { "exported: an MD2 of 2,000 three-vertex frames, just within the budget",
      [](const CTestFolder& f) {
          return std::vector<std::string> { "export", f.Write("m.md2", Md2File(2000, 3, {})), "-o", f.Path("m.glb") };
      },
      0, "" },
    { "exported: an indexed sprite of 65,536 one-pixel frames",
      [](const CTestFolder& f) {
          const std::string sprite = IndexedSprite(0, std::vector<IndexedFrame>(65536, { 1, 1 }), {});
          return std::vector<std::string> { "export", f.Write("s.spr", sprite), "-o", f.Path("s.glb") };
      },
      2, "more frames than an export can hold" },
    { "exported: a Half-Life sequence of 1.8 million frames, each channel on one chain of 7,000 runs",
      [](const CTestFolder& f) {
          return std::vector<std::string> { "export", f.Write("h.mdl", HlText(hl_hostile::SequencesSharingRuns(1, 7000))),
                                            "-o", f.Path("h.glb") };
      },
      2, "more frames than an export can hold" },
    { "a SiN mesh of 50 groups of 20,000 corners and 300 animations of other vertex counts",
      [](const CTestFolder& f) {
          SinMesh mesh;
          for (int g = 0; g < 50; g++) {
              mesh.Group().Word(20000);
              for (int i = 0; i < 20000; i++) {
                  mesh.Word(0).Word(0).Word(i % 3);
              }
              mesh.End();
          }
          f.Write("m.sbm", Str(mesh.Write()));
          std::vector<std::string> lines = { "m.sbm" };
          for (int k = 0; k < 300; k++) {
              const std::string name = "a" + std::to_string(k);
              f.Write(name + ".sam", Str(SinSharedFrames(3 + k, 1)));
              lines.push_back(name + " " + name + ".sam");
          }
          return std::vector<std::string> { "model", SinDef(f, lines) };
      },
      0, "" },
    { "a SiN definition of a million skin lines",
      [](const CTestFolder& f) {
          f.Write("m.sbm", TriangleMesh());
          f.Write("a.sam", Str(SinSharedFrames(3, 1)));
          f.Write("s.tga", TinyTga(4, 4, 1, 2, 3));
          std::vector<std::string> lines = { "m.sbm", "idle a.sam" };
          lines.insert(lines.end(), 1000000, "s s.tga");
          return std::vector<std::string> { "model", SinDef(f, lines) };
      },
      0, "" },
    { "a SiN mesh that is a FIFO",
      [](const CTestFolder& f) {
          Mkfifo(f, "m.sbm");
          f.Write("a.sam", Str(SinSharedFrames(3, 1)));
          return std::vector<std::string> { "model", SinDef(f, { "m.sbm", "idle a.sam" }) };
      },
      2, "Cannot locate the Model (.sbm) file." },
    { "a text sprite naming one picture in 2,048 spellings",
      [](const CTestFolder& f) {
          f.Write("abcdefghijk.tga", TinyTga(64, 64, 1, 2, 3));
          std::string text = "SPRT\r\n";
          for (int k = 0; k < 2048; k++) {
              std::string name = "abcdefghijk";
              for (size_t i = 0; i < name.size(); i++) {
                  name[i] = (k >> i & 1) != 0 ? static_cast<char>(name[i] - 'a' + 'A') : name[i];
              }
              text += name + ".tga\r\n";
          }
          return std::vector<std::string> { "model", f.Write("s.spr", text) };
      },
      0, "" },
    { "a text sprite of 100,000 frames",
      [](const CTestFolder& f) {
          f.Write("a.tga", TinyTga(4, 4, 1, 2, 3));
          std::string text = "SPRT\r\n";
          for (int i = 0; i < 100000; i++) {
              text += "a.tga\r\n";
          }
          return std::vector<std::string> { "model", f.Write("s.spr", text) };
      },
      2, "Error reading sprite" },
    { "a sprite naming 20,000 archive entries",
      [](const CTestFolder& f) {
          std::vector<std::pair<std::string, std::string>> entries;
          std::vector<std::string> pictures;
          for (int i = 0; i < 20000; i++) {
              pictures.push_back("p" + std::to_string(i) + ".tga");
              entries.push_back({ pictures.back(), TinyTga(1, 1, 1, 2, 3) });
          }
          entries.push_back({ "s.sp2", Quake2Sprite(pictures, 1) });
          return std::vector<std::string> { "model", f.Write("m.pak", PakOf(entries)) + ":s.sp2" };
      },
      0, "" },
};

TEST(HostileModels, EndInTimeWithinMemory) {
    if (!CanLimitTool()) {
        GTEST_SKIP() << "sanitizer builds do not fit the memory limit";
    }
    for (const HostileCase& c : cases) {
        SCOPED_TRACE(c.what);
        const CTestFolder folder;
        const ToolRun run = RunToolLimited(c.make(folder));
        EXPECT_EQ(run.signal, 0) << Describe(run);
        EXPECT_EQ(run.exitCode, c.exitCode) << Describe(run);
        EXPECT_NE(run.errors.find(c.message), std::string::npos) << Describe(run);
        EXPECT_LT(run.seconds, 10.0) << Describe(run);
    }
}

}  // namespace

// Scenes written to hurt: small files that claim or repeat a great deal.
// tvntool must end each within the time and memory any file gets, with its
// usual exit code, and tell each fault a few times rather than once per
// repeat.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <string>

#include "models/Md2Bytes.h"
#include "support/SceneBytes.h"
#include "support/TestFolder.h"
#include "support/ToolRun.h"

namespace {

constexpr int32_t TYPE_MD2 = 12;

size_t Count(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        count++;
    }
    return count;
}

// An MD2 of 4 MB: 1,000 frames of 1,000 vertices.
std::string LargeMd2() {
    Md2Layout layout;
    for (int f = 0; f < 1000; f++) {
        layout.frames.push_back(NamedFrame("frame" + std::to_string(f), std::vector<Md2Vertex>(1000, { 1, 2, 3, 0 })));
    }
    layout.Run(3).Vertex(0, 0, 0).Vertex(0, 1, 1).Vertex(1, 0, 2).End();
    return Text(layout.Write());
}

// A scene of copies records of one MD2 record naming model.
std::string ModelCopies(const CTestFolder& folder, const std::string& model, int copies) {
    SceneHeader header;
    header.objects = copies;
    Bytes b = header.Write();
    ModelRecord record;
    record.path = model;
    const Bytes md2 = record.Write(6);
    for (int i = 0; i < copies; i++) b.I32(TYPE_MD2).Raw(md2.bytes.data(), md2.Size());
    return folder.Write("copies.tvn", Text(b));
}

struct HostileScene {
    const char* name;
    // Writes the scene (and what it names) into the folder; returns its path.
    std::function<std::string(const CTestFolder&)> write;
    const char* command;
    int         exitCode;
    const char* message;        // once at least
    size_t      maxTimesTold;   // of that message
};

const HostileScene hostileScenes[] = {
    { "2^31 lights claimed by a small file",
      [](const CTestFolder& folder) {
          SceneHeader header;
          header.lights = 0x7fffffff;
          return folder.Write("claims.tvn", Text(header.Write()));
      },
      "info", 2, "An execption occured while loading the scene file.", 1 },
    { "a sparse 3 GB file claiming 500 million lights",
      [](const CTestFolder& folder) {
          SceneHeader header;
          header.lights = 500000000;
          const std::string path = folder.Write("sparse.tvn", Text(header.Write()));
          std::filesystem::resize_file(path, 3ull << 30);
          return path;
      },
      "info", 2, "An execption occured while loading the scene file.", 1 },
    { "4,000 lights, eight of them with a unit",
      [](const CTestFolder& folder) {
          SceneHeader header;
          header.lights = 4000;
          Bytes b = header.Write();
          for (int i = 0; i < header.lights; i++) AppendPointLight(b, 0);
          return folder.Write("lights.tvn", Text(b));
      },
      "info", 0, "No more lights are available.", 4 },
    { "20,000 boxes, more than any scene holds",
      [](const CTestFolder& folder) {
          SceneHeader header;
          header.objects = 20000;
          Bytes b = header.Write();
          for (int i = 0; i < header.objects; i++) AppendObject(b, 2, -1);
          return folder.Write("boxes.tvn", Text(b));
      },
      "render", 2, "An execption occured while loading the scene file.", 1 },
    { "the scene named as its own archive 20,000 times",
      [](const CTestFolder& folder) {
          SceneHeader header;
          header.paks.assign(20000, folder.Path("self.tvn"));
          return folder.Write("self.tvn", Text(header.Write()));
      },
      "info", 1, "Not a valid Quake2 Pak file.", 1 },
    { "10,000 missing pictures",
      [](const CTestFolder& folder) {
          SceneHeader header;
          header.textures = 10000;
          Bytes b = header.Write();
          for (int i = 0; i < header.textures; i++) AppendTexture(b, -1, "gone" + std::to_string(i) + ".pcx");
          return folder.Write("missing.tvn", Text(b));
      },
      "info", 1, "gone1.pcx", 1 },
    { "a FIFO as the scene",
      [](const CTestFolder& folder) {
          const std::string path = folder.Path("fifo.tvn");
          mkfifo(path.c_str(), 0600);
          return path;
      },
      "info", 2, "Error opening scene file", 1 },
    { "one forged model named by 1,000 records",
      [](const CTestFolder& folder) {
          return ModelCopies(folder, folder.Write("forged.md2", "IDP2 and nothing a model needs"), 1000);
      },
      "info", 1, "Not a valid MD2 File.", 4 },
    { "one 4 MB model named by 1,000 records, rendered",
      [](const CTestFolder& folder) { return ModelCopies(folder, folder.Write("big.md2", LargeMd2()), 1000); },
      "render", 0, "", 0 },
    { "the same model named by 1,000 records, exported: one mesh",
      [](const CTestFolder& folder) { return ModelCopies(folder, folder.Write("big.md2", LargeMd2()), 1000); },
      "export", 0, "", 0 },
    { "16,384 texts of their own, exported",
      [](const CTestFolder& folder) {
          SceneHeader header;
          header.objects = 16384;
          Bytes b = header.Write();
          for (int i = 0; i < header.objects; i++) {
              const std::string text = "Wm@" + std::to_string(i) + std::string(25, '#');
              AppendObject(b, 7, -1, SampleTextRecord(text, "Arial", true, false));
          }
          return folder.Write("texts.tvn", Text(b));
      },
      "export", 1, "more objects left out", 1 },
};

}  // namespace

TEST(HostileScenes, EndInTimeAndMemoryWithTheirMessagesToldAFewTimes) {
    if (!CanLimitTool()) {
        GTEST_SKIP() << "a sanitizer's shadow memory does not fit the limit";
    }
    for (const HostileScene& hostile : hostileScenes) {
        SCOPED_TRACE(hostile.name);
        CTestFolder folder;
        const std::string scene = hostile.write(folder);
        const std::string command = hostile.command;
        const ToolRun run = command == "render" ? RunToolLimited({ "render", scene, "-o", folder.Path("out.png"), "--size", "64x64" })
                            : command == "export" ? RunToolLimited({ "export", scene, "-o", folder.Path("out.glb") })
                                                  : RunToolLimited({ command, scene });
        EXPECT_EQ(run.exitCode, hostile.exitCode) << Describe(run);
        EXPECT_LT(run.seconds, 10.0) << Describe(run);
        EXPECT_LT(run.errorBytes, 32768u) << Describe(run);
        const size_t told = Count(run.errors, hostile.message);
        EXPECT_GE(told, hostile.maxTimesTold > 0 ? 1u : 0u) << Describe(run);
        EXPECT_LE(told, hostile.maxTimesTold > 0 ? hostile.maxTimesTold : told) << Describe(run);
    }
}

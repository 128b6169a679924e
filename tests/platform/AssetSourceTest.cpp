#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>

#include "platform/CAssetSource.h"
#include "platform/CPakFile.h"
#include "platform/CSettingsStore.h"
#include "support/Bytes.h"
#include "support/TestFolder.h"

namespace {

std::string Text(const std::vector<uint8_t>& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

// "models/a.md2" = "MD2!" and "PICS/B.PCX" = "pcx", and "pics/c.pcx" naming
// B's bytes again; the directory follows.
std::string ThreeEntryPack() {
    Bytes pack;
    pack.Text("PACK").I32(19).I32(192).Text("MD2!pcx");
    pack.Field("models/a.md2", 56).I32(12).I32(4);
    pack.Field("PICS/B.PCX", 56).I32(16).I32(3);
    pack.Field("pics/c.pcx", 56).I32(16).I32(3);
    return std::string(pack.bytes.begin(), pack.bytes.end());
}

class AssetSourceTest : public ::testing::Test {
protected:
    void SetUp() override {
        skin = folder.Write("game/Models/Skin.pcx", "skin");
        beside = folder.Write("scenes/crate.md2", "crate");
    }

    CTestFolder    folder;
    CSettingsStore settings{ folder.Path("TAV.ini") };
    CAssetSource   assets{ folder.Path("scenes/"), settings };
    std::string    skin;
    std::string    beside;
};

// However a name spells the file, it is one id: caches keyed by ids share it.
TEST_F(AssetSourceTest, EverySpellingOfAFileIsOneId) {
    const AssetId id = assets.ResolveFile(skin);
    ASSERT_TRUE(id.IsValid());
    for (const std::string& name : { folder.Path("game/models/SKIN.PCX"), folder.Path("game\\Models\\skin.pcx"),
                                     folder.Path("game/./Models/../Models/Skin.pcx") }) {
        const AssetId other = assets.ResolveFile(name);
        EXPECT_TRUE(other == id) << name;
        EXPECT_EQ(AssetIdHash()(other), AssetIdHash()(id)) << name;
        EXPECT_EQ(other.path, name);  // what a record stores is the name as given
    }
}

// Only regular files resolve, and nothing is opened to find out: a FIFO
// would block an open for reading until a writer came.
TEST_F(AssetSourceTest, OnlyRegularFilesResolve) {
    const std::string fifo = folder.Path("scenes/pipe.tvn");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directories(folder.Path("scenes/folder.md2"));
    for (const std::string& name : { fifo, folder.Path("scenes/folder.md2"), folder.Path("scenes/none.md2"),
                                     std::string() }) {
        EXPECT_FALSE(assets.ResolveFile(name).IsValid()) << name;
    }
    std::vector<uint8_t> bytes;
    EXPECT_EQ(assets.Read(assets.ResolveFile(fifo), 100, bytes), AssetRead::missing);
}

// A scene names files where they were on the author's disk; not found
// there, they are looked for by file name beside the scene, and every
// lookup is noted for the tool's report.
TEST_F(AssetSourceTest, NamedFilesFallBackToTheSceneFolder) {
    EXPECT_TRUE(assets.LocateNamed(skin).IsValid());
    const AssetId moved = assets.LocateNamed("C:\\Quake2\\baseq2\\crate.md2");
    ASSERT_TRUE(moved.IsValid());
    EXPECT_EQ(moved.path, folder.Path("scenes/crate.md2"));
    EXPECT_FALSE(assets.LocateNamed("C:\\Quake2\\gone.md2").IsValid());
    EXPECT_EQ(assets.Missing(), std::vector<std::string>{ "C:\\Quake2\\gone.md2" });
    const std::vector<FileLookup> lookups = assets.TakeLookups();
    ASSERT_EQ(lookups.size(), 3u);
    EXPECT_TRUE(lookups[1].found);
    EXPECT_EQ(lookups[1].used, folder.Path("scenes/crate.md2"));
    EXPECT_FALSE(lookups[2].found);
}

TEST_F(AssetSourceTest, ReadsTakeWhatIsThereWithinTheLimit) {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(assets.Read(assets.ResolveFile(beside), 5, bytes), AssetRead::read);
    EXPECT_EQ(Text(bytes), "crate");
    EXPECT_EQ(assets.Read(assets.ResolveFile(beside), 4, bytes), AssetRead::tooLarge);
    EXPECT_TRUE(bytes.empty());
    EXPECT_EQ(assets.Read(AssetId(), 4, bytes), AssetRead::missing);

    // Bytes held back are read in place of the file, once.
    const AssetId id = assets.ResolveFile(beside);
    const int reads = assets.ReadCount();
    assets.Hold(id, { 'h', 'e', 'l', 'd' });
    EXPECT_EQ(assets.Read(id, 100, bytes), AssetRead::read);
    EXPECT_EQ(Text(bytes), "held");
    EXPECT_EQ(assets.ReadCount(), reads);
    EXPECT_EQ(assets.Read(id, 100, bytes), AssetRead::read);
    EXPECT_EQ(Text(bytes), "crate");
}

// Entries are found through the archive's index, ignoring case, and the
// archive stays open for the whole load instead of being opened per entry.
TEST_F(AssetSourceTest, ArchiveEntriesAreFoundByIndexByTheirBytesAndReadThroughOneOpenStream) {
    CPakFile pak;
    ASSERT_TRUE(pak.Open(folder.Write("game/pak0.pak", ThreeEntryPack())));
    // The scene's archives outlive the source of each of its loads.
    CAssetSource assets(folder.Path("scenes/"), settings);
    const AssetId model = assets.ResolveEntry(pak, "MODELS/A.MD2");
    ASSERT_TRUE(model.IsValid());
    EXPECT_EQ(model.path, "models/a.md2");
    EXPECT_FALSE(assets.ResolveEntry(pak, "models\\a.md2").IsValid());
    EXPECT_TRUE(assets.ResolveEntry(pak, "pics/b.pcx") == assets.ResolveEntry(pak, "PICS/B.PCX"));
    // Entries of the same bytes are one id, each keeping its own name.
    const AssetId again = assets.ResolveEntry(pak, "pics/c.pcx");
    EXPECT_TRUE(again == assets.ResolveEntry(pak, "pics/b.pcx"));
    EXPECT_EQ(again.path, "pics/c.pcx");
    std::vector<uint8_t> bytes;
    for (int i = 0; i < 3; i++) {
        EXPECT_EQ(assets.Read(model, 4, bytes), AssetRead::read);
        EXPECT_EQ(Text(bytes), "MD2!");
        EXPECT_EQ(pak.GetOpenCount(), 1);
    }
    EXPECT_EQ(assets.Read(model, 3, bytes), AssetRead::tooLarge);
}

}  // namespace

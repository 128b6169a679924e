#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>

#include "platform/CPakFile.h"
#include "support/GameFiles.h"
#include "support/RealFiles.h"
#include "support/TestFolder.h"

namespace {

std::string Header(const char* magic, int32_t directoryOffset, int32_t directoryLength) {
    return Text(Bytes().Raw(magic, 4).I32(directoryOffset).I32(directoryLength));
}

// A directory entry: the name NUL-padded to its field, offset, length.
std::string Entry(const std::string& name, int32_t offset, int32_t length, size_t field = 56) {
    return Text(Bytes().Text(name).Fill(field - name.size()).I32(offset).I32(length));
}

// "players/male/tris.md2" = "TRIS", "pics/colormap.pcx" = "COLMAP".
std::string TwoEntryPack() { return PakOf({ { "players/male/tris.md2", "TRIS" }, { "pics/colormap.pcx", "COLMAP" } }); }

std::string Read(CPakFile& pak, const CPakEntry* entry) {
    std::vector<uint8_t> data;
    EXPECT_NE(entry, nullptr);
    EXPECT_TRUE(entry != nullptr && pak.ReadEntry(*entry, data));
    return std::string(data.begin(), data.end());
}

class PakFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& bytes) { return folder.Write("test.pak", bytes); }

    CTestFolder folder;
};

// The first of two equal names wins; a name filling its field is whole.
TEST_F(PakFileTest, LookupIgnoresCaseButNotSlashes) {
    CPakFile pak;
    ASSERT_TRUE(pak.Open(Write(TwoEntryPack())));
    EXPECT_EQ(Read(pak, pak.FindEntry("Players/Male/Tris.MD2")), "TRIS");
    EXPECT_EQ(Read(pak, pak.FindEntry("PICS/COLORMAP.PCX")), "COLMAP");
    for (const char* absent : { "players\\male\\tris.md2", "tris.md2", " players/male/tris.md2", "" }) {
        EXPECT_EQ(pak.FindEntry(absent), nullptr) << absent;
    }
    ASSERT_TRUE(pak.Open(Write(Header("PACK", 14, 128) + "ab" + Entry("A.PCX", 12, 1) + Entry("a.pcx", 13, 1))));
    EXPECT_EQ(Read(pak, pak.FindEntry("a.pcx")), "a");
    const std::string longName(56, 'n');
    ASSERT_TRUE(pak.Open(Write(Header("PACK", 12, 64) + Entry(longName, 0, 4))));
    EXPECT_NE(pak.FindEntry(longName), nullptr);
    // SPAK entries are 128 bytes apart.
    ASSERT_TRUE(pak.Open(Write(Header("SPAK", 17, 256) + "AAABB" + Entry("sin/models/a.sbm", 12, 3, 120) +
                               Entry("sin/models/b.sam", 15, 2, 120))));
    EXPECT_EQ(pak.GetNameLength(), 120);
    EXPECT_EQ(Read(pak, pak.FindEntry("SIN/MODELS/B.SAM")), "BB");
}

// A directory length that is not a whole number of entries.
TEST_F(PakFileTest, DirectoryRemainderIsIgnored) {
    const struct { std::string bytes; int entries; } cases[] = {
        { TwoEntryPack() + "xx", 2 },
        { Header("PACK", 12, 130) + Entry("a", 0, 4) + Entry("b", 0, 4) + "xx", 2 },
        { Header("SPAK", 12, 64) + Entry("a", 0, 4), 0 },  // half a SPAK entry
        { Header("PACK", 12, 0), 0 },
    };
    for (const auto& c : cases) {
        CPakFile pak;
        ASSERT_TRUE(pak.Open(Write(c.bytes))) << testing::PrintToString(c.bytes);
        EXPECT_EQ(pak.GetEntryCount(), c.entries) << testing::PrintToString(c.bytes);
    }
}

TEST_F(PakFileTest, ForgedHeadersAndDirectoriesAreInvalidArchives) {
    const std::string forged[] = {
        "PAC",                                                      // shorter than the header
        Header("PAK0", 12, 0),                                      // wrong magic
        Header("pack", 12, 0),                                      // magic is case-sensitive
        Header("PACK", 13, 0),                                      // directory starts past the end
        Header("PACK", 12, 64),                                     // directory runs past the end
        Header("PACK", -1, 0),                                      // negative offset
        Header("PACK", 12, -64),                                    // negative length
        Header("PACK", 0x7FFFFFF0, 0x7FFFFFF0),                     // sum overflows 32 bits
        Header("PACK", 12, 64) + Entry("a", -4, 4),             // entry before the file
        Header("PACK", 12, 64) + Entry("a", 0, -1),             // entry of negative length
        Header("PACK", 12, 65537 * 64) + std::string(65537 * 64, '\0'),  // more entries than any game reads
    };
    for (const std::string& bytes : forged) {
        CPakFile pak;
        EXPECT_FALSE(pak.Open(Write(bytes))) << testing::PrintToString(bytes);
        EXPECT_EQ(pak.GetFailure(), CPakFile::Failure::notAnArchive) << testing::PrintToString(bytes);
        EXPECT_EQ(pak.GetEntryCount(), 0);
    }
    CPakFile absent;  // a missing file is the caller's to list, not an invalid archive
    EXPECT_FALSE(absent.Open(folder.Path("absent.pak")));
    EXPECT_EQ(absent.GetFailure(), CPakFile::Failure::none);
}

TEST_F(PakFileTest, EntryRunningPastTheEndReadsWhatIsThere) {
    CPakFile pak;
    ASSERT_TRUE(pak.Open(Write(Header("PACK", 12, 192) + Entry("tail", 204, 1000) +
                               Entry("after", 300, 5) + Entry("empty", 20, 0) + "TAIL")));
    EXPECT_EQ(Read(pak, pak.FindEntry("tail")), "TAIL");
    EXPECT_EQ(Read(pak, pak.FindEntry("after")), "");
    EXPECT_EQ(Read(pak, pak.FindEntry("empty")), "");
}

TEST_F(PakFileTest, ReadersShareOneCountedHandle) {
    CPakFile pak;
    const std::string path = Write(TwoEntryPack());
    ASSERT_TRUE(pak.Open(path));
    FILE* first = pak.AcquireFile();
    FILE* second = pak.AcquireFile();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    pak.ReleaseFile(nullptr);  // handles not ours count nothing
    pak.ReleaseFile(stderr);
    pak.ReleaseFile(first);
    EXPECT_EQ(pak.GetOpenCount(), 1);
    // A reader in between puts the shared position back where it found it.
    ASSERT_EQ(fseeko(second, 4, SEEK_SET), 0);
    EXPECT_EQ(Read(pak, pak.FindEntry("pics/colormap.pcx")), "COLMAP");
    EXPECT_EQ(ftello(second), 4);
    pak.ReleaseFile(second);
    EXPECT_EQ(pak.GetOpenCount(), 0);

    std::filesystem::remove(path);  // an archive that vanished cannot be read
    EXPECT_EQ(pak.AcquireFile(), nullptr);
    EXPECT_EQ(pak.GetOpenCount(), 0);
    std::vector<uint8_t> data;
    EXPECT_FALSE(pak.ReadEntry(*pak.FindEntry("pics/colormap.pcx"), data));
}

// Real archives: the directory is parsed here, independently, and every entry
// must read back byte for byte.
TEST(PakFileConformance, RealArchivesReadBackByteExact) {
    const std::vector<std::filesystem::path> archives = TestDataFiles("pak", ".pak");
    if (archives.empty()) {
        GTEST_SKIP() << "no archive test data";
    }
    for (const std::filesystem::path& path : archives) {
        SCOPED_TRACE(path.string());
        const std::string bytes = CTestFolder::Read(path.string());
        ASSERT_GE(bytes.size(), 12u);
        ASSERT_EQ(bytes.substr(0, 4), "PACK");
        uint32_t directory[2];  // offset, length
        std::memcpy(directory, bytes.data() + 4, 8);
        CPakFile pak;
        ASSERT_TRUE(pak.Open(path.string()));
        ASSERT_EQ(pak.GetEntryCount(), int(directory[1] / 64));
        for (uint32_t i = 0; i < directory[1] / 64; i++) {
            const char* record = bytes.data() + directory[0] + i * 64;
            const std::string name(record, strnlen(record, 56));
            uint32_t place[2];  // offset, length
            std::memcpy(place, record + 56, 8);
            const CPakEntry* entry = pak.FindEntry(name);
            ASSERT_NE(entry, nullptr) << name;
            EXPECT_EQ(Read(pak, entry), bytes.substr(place[0], place[1])) << name;
        }
    }
}

} // namespace

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>

#include "support/TestFolder.h"
#include "platform/CPakFile.h"

namespace {

std::string Int32(int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    return { char(bits & 0xFF), char((bits >> 8) & 0xFF), char((bits >> 16) & 0xFF), char(bits >> 24) };
}

// A name in its fixed field, NUL-padded.
std::string Field(const std::string& name, size_t size) {
    std::string field = name;
    field.resize(size, '\0');
    return field;
}

std::string Header(const char* magic, int32_t directoryOffset, int32_t directoryLength) {
    return std::string(magic, 4) + Int32(directoryOffset) + Int32(directoryLength);
}

std::string PackEntry(const std::string& name, int32_t offset, int32_t length) {
    return Field(name, 56) + Int32(offset) + Int32(length);
}

// Two entries: "players/male/tris.md2" = "TRIS" at 12, "pics/colormap.pcx" =
// "COLMAP" at 16; the directory follows at 22.
std::string TwoEntryPack() {
    return Header("PACK", 22, 128) + "TRISCOLMAP" + PackEntry("players/male/tris.md2", 12, 4) +
           PackEntry("pics/colormap.pcx", 16, 6);
}

class PakFileTest : public ::testing::Test {
protected:
    std::string Write(const std::string& bytes) { return folder.Write("test.pak", bytes); }
    static std::string Read(CPakFile& pak, const CPakEntry* entry) {
        std::vector<uint8_t> data;
        EXPECT_TRUE(pak.ReadEntry(*entry, data));
        return std::string(data.begin(), data.end());
    }

    CTestFolder folder;
    std::string savedFolder;
};

TEST_F(PakFileTest, LookupIgnoresCaseButNotSlashes) {
    CPakFile pak;
    ASSERT_TRUE(pak.Open(Write(TwoEntryPack())));
    const CPakEntry* tris = pak.FindEntry("Players/Male/Tris.MD2");
    ASSERT_NE(tris, nullptr);
    EXPECT_EQ(Read(pak, tris), "TRIS");
    EXPECT_EQ(Read(pak, pak.FindEntry("PICS/COLORMAP.PCX")), "COLMAP");
    for (const char* absent : { "players\\male\\tris.md2", "tris.md2", " players/male/tris.md2", "" }) {
        EXPECT_EQ(pak.FindEntry(absent), nullptr) << absent;
    }
}

TEST_F(PakFileTest, FirstOfTwoEqualNamesWinsAndAFullFieldNameIsWhole) {
    CPakFile pak;
    ASSERT_TRUE(pak.Open(Write(Header("PACK", 14, 128) + "ab" + PackEntry("A.PCX", 12, 1) +
                               PackEntry("a.pcx", 13, 1))));
    EXPECT_EQ(Read(pak, pak.FindEntry("a.pcx")), "a");
    const std::string longName(56, 'n');  // no NUL inside its field
    ASSERT_TRUE(pak.Open(Write(Header("PACK", 12, 64) + longName + Int32(0) + Int32(4))));
    EXPECT_NE(pak.FindEntry(longName), nullptr);
}

// A directory length that is not a whole number of entries.
TEST_F(PakFileTest, DirectoryRemainderIsIgnored) {
    const struct { std::string bytes; int entries; } cases[] = {
        { TwoEntryPack() + "xx", 2 },
        { Header("PACK", 12, 130) + PackEntry("a", 0, 4) + PackEntry("b", 0, 4) + "xx", 2 },
        { Header("SPAK", 12, 64) + PackEntry("a", 0, 4), 0 },  // half a SPAK entry
        { Header("PACK", 12, 0), 0 },
    };
    for (const auto& c : cases) {
        CPakFile pak;
        ASSERT_TRUE(pak.Open(Write(c.bytes))) << testing::PrintToString(c.bytes);
        EXPECT_EQ(pak.GetEntryCount(), c.entries) << testing::PrintToString(c.bytes);
    }
}

TEST_F(PakFileTest, SpakEntriesAre128BytesApart) {
    const std::string directory = Field("sin/models/a.sbm", 120) + Int32(12) + Int32(3) +
                                  Field("sin/models/b.sam", 120) + Int32(15) + Int32(2);
    CPakFile pak;
    ASSERT_TRUE(pak.Open(Write(Header("SPAK", 17, 256) + "AAABB" + directory)));
    EXPECT_EQ(pak.GetNameLength(), 120);
    ASSERT_EQ(pak.GetEntryCount(), 2);
    EXPECT_EQ(Read(pak, pak.FindEntry("SIN/MODELS/B.SAM")), "BB");
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
        Header("PACK", 12, 64) + PackEntry("a", -4, 4),             // entry before the file
        Header("PACK", 12, 64) + PackEntry("a", 0, -1),             // entry of negative length
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
    ASSERT_TRUE(pak.Open(Write(Header("PACK", 12, 192) + PackEntry("tail", 204, 1000) +
                               PackEntry("after", 300, 5) + PackEntry("empty", 20, 0) + "TAIL")));
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
    const std::filesystem::path root = std::filesystem::path(ORRIN_TESTDATA) / "pak";
    if (!std::filesystem::is_directory(root)) {
        GTEST_SKIP() << "no test data at " << root;
    }
    int archives = 0;
    for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
        if (item.path().extension() != ".pak") {
            continue;
        }
        SCOPED_TRACE(item.path().string());
        const std::string bytes = CTestFolder::Read(item.path().string());
        ASSERT_GE(bytes.size(), 12u);
        ASSERT_EQ(bytes.substr(0, 4), "PACK");
        uint32_t directoryOffset, directoryLength;
        std::memcpy(&directoryOffset, bytes.data() + 4, 4);
        std::memcpy(&directoryLength, bytes.data() + 8, 4);

        CPakFile pak;
        ASSERT_TRUE(pak.Open(item.path().string()));
        ASSERT_EQ(pak.GetEntryCount(), int(directoryLength / 64));
        for (uint32_t i = 0; i < directoryLength / 64; i++) {
            const char* record = bytes.data() + directoryOffset + i * 64;
            const std::string name(record, strnlen(record, 56));
            uint32_t offset, length;
            std::memcpy(&offset, record + 56, 4);
            std::memcpy(&length, record + 60, 4);

            const CPakEntry* entry = pak.FindEntry(name);
            ASSERT_NE(entry, nullptr) << name;
            std::vector<uint8_t> data;
            ASSERT_TRUE(pak.ReadEntry(*entry, data));
            EXPECT_EQ(std::string(data.begin(), data.end()), bytes.substr(offset, length)) << name;
        }
        archives++;
    }
    EXPECT_GT(archives, 0);
}

} // namespace

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

// The version the build was configured with, project(VERSION), as LUMOX_VERSION gives it
// ("2.1.0.37"), and the form the program shows: the minor number in two digits and the
// fourth in four ("2.01.0037").
struct ProjectVersion
{
    DWORD numbers[4] = {};
    std::string shown;
};

::testing::AssertionResult readProjectVersion(ProjectVersion &version)
{
    const char *text = std::getenv("LUMOX_VERSION");
    if (text == nullptr || *text == '\0') {
        return ::testing::AssertionFailure() << "LUMOX_VERSION names no version";
    }
    unsigned parts[4] = {};
    char end = 0;
    if (std::sscanf(text, "%u.%u.%u.%u%c", &parts[0], &parts[1], &parts[2], &parts[3], &end) != 4) {
        return ::testing::AssertionFailure() << "LUMOX_VERSION \"" << text << "\" is not a.b.c.d";
    }
    char shown[64];
    std::snprintf(shown, sizeof shown, "%u.%02u.%04u", parts[0], parts[1], parts[3]);
    for (int i = 0; i < 4; ++i) {
        version.numbers[i] = parts[i];
    }
    version.shown = shown;
    return ::testing::AssertionSuccess();
}

// The version record of an executable, read through the version API as Explorer reads it.
class VersionRecord
{
public:
    ::testing::AssertionResult read(const char *path)
    {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
        if (size == 0) {
            return ::testing::AssertionFailure() << path << " has no version record";
        }
        m_record.resize(size);
        if (!GetFileVersionInfoA(path, 0, size, m_record.data())) {
            return ::testing::AssertionFailure() << path << ": its version record is unreadable";
        }
        return ::testing::AssertionSuccess();
    }

    void *query(const char *block, UINT &length)
    {
        void *data = nullptr;
        length = 0;
        if (!VerQueryValueA(m_record.data(), block, &data, &length)) {
            return nullptr;
        }
        return data;
    }

    // Checks that the fixed numbers and both version texts are the project's version.
    void expectVersion(const ProjectVersion &version)
    {
        UINT length = 0;
        const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(query("\\", length));
        ASSERT_NE(fixed, nullptr);
        ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
        EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
        const DWORD ms = version.numbers[0] << 16 | version.numbers[1];
        const DWORD ls = version.numbers[2] << 16 | version.numbers[3];
        EXPECT_EQ(fixed->dwFileVersionMS, ms);
        EXPECT_EQ(fixed->dwFileVersionLS, ls);
        EXPECT_EQ(fixed->dwProductVersionMS, ms);
        EXPECT_EQ(fixed->dwProductVersionLS, ls);
        for (const char *name : {"FileVersion", "ProductVersion"}) {
            const std::string block = std::string("\\StringFileInfo\\040904B0\\") + name;
            const auto *text = static_cast<const char *>(query(block.c_str(), length));
            ASSERT_NE(text, nullptr) << name << " is missing";
            EXPECT_EQ(std::string(text), version.shown) << name;
        }
    }

private:
    std::vector<char> m_record;
};

// The version record of this test program, which carries the program's resource script.
class VersionResource : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char path[MAX_PATH] = {};
        ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
        ASSERT_TRUE(m_record.read(path));
    }

    void *query(const char *block, UINT &length) { return m_record.query(block, length); }

    VersionRecord m_record;
};

TEST_F(VersionResource, TheNumericVersionsAndFileKind)
{
    ProjectVersion version;
    ASSERT_TRUE(readProjectVersion(version));
    m_record.expectVersion(version);
    UINT length = 0;
    const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(query("\\", length));
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "not a plain release build";
}

// The product executable (LUMOX_PROGRAM names it) carries the version the build was
// configured with, which project(VERSION) alone gives.
TEST(ProgramVersionRecord, CarriesTheProjectVersion)
{
    ProjectVersion version;
    ASSERT_TRUE(readProjectVersion(version));
    const char *program = std::getenv("LUMOX_PROGRAM");
    ASSERT_TRUE(program != nullptr && *program != '\0') << "LUMOX_PROGRAM names no program";
    VersionRecord record;
    ASSERT_TRUE(record.read(program)) << "build it with make windows";
    record.expectVersion(version);
}

TEST_F(VersionResource, TheTranslationIsUsEnglishUnicode)
{
    UINT length = 0;
    const auto *translation =
        static_cast<const WORD *>(query("\\VarFileInfo\\Translation", length));
    ASSERT_NE(translation, nullptr);
    ASSERT_EQ(length, 2 * sizeof(WORD));
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);
}

TEST_F(VersionResource, EveryStringReadsBack)
{
    const std::vector<std::pair<std::string, std::string>> expected = {
        {"ProductName", "Lumox 2000"},       {"InternalName", "Lumox2k"},
        {"OriginalFilename", "Lumox2k.exe"}, {"FileDescription", "Speed up you 'Net connection!"},
        {"CompanyName", "Lumox Software"},
    };
    for (const auto &[name, value] : expected) {
        UINT length = 0;
        const std::string block = "\\StringFileInfo\\040904B0\\" + name;
        const auto *text = static_cast<const char *>(query(block.c_str(), length));
        ASSERT_NE(text, nullptr) << name << " is missing";
        EXPECT_EQ(std::string(text), value) << name;
    }
}

TEST(ProgramIcon, HoldsA32And16PixelImageOf16Colours)
{
    // The layout of a group icon resource: a header, then one entry per image.
#pragma pack(push, 2)
    struct GroupHeader
    {
        WORD reserved;
        WORD type;
        WORD count;
    };
    struct GroupEntry
    {
        BYTE width;
        BYTE height;
        BYTE colours;
        BYTE reserved;
        WORD planes;
        WORD bitCount;
        DWORD bytes;
        WORD id;
    };
#pragma pack(pop)
    const HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(14));
    ASSERT_NE(found, nullptr) << "the program has no icon";
    const HGLOBAL loaded = LoadResource(nullptr, found);
    ASSERT_NE(loaded, nullptr);
    const auto *bytes = static_cast<const unsigned char *>(LockResource(loaded));
    ASSERT_GE(SizeofResource(nullptr, found), sizeof(GroupHeader));
    const auto *header = reinterpret_cast<const GroupHeader *>(bytes);
    EXPECT_EQ(header->type, 1);
    ASSERT_EQ(header->count, 2);
    ASSERT_GE(SizeofResource(nullptr, found), sizeof(GroupHeader) + 2 * sizeof(GroupEntry));
    const auto *entries = reinterpret_cast<const GroupEntry *>(bytes + sizeof(GroupHeader));
    std::vector<int> sizes;
    for (int i = 0; i < 2; ++i) {
        sizes.push_back(entries[i].width);
        EXPECT_EQ(entries[i].width, entries[i].height);
        EXPECT_TRUE(entries[i].colours == 16 || entries[i].bitCount == 4)
            << "image " << i << " is not a 16-colour image";
        EXPECT_NE(FindResourceA(nullptr, MAKEINTRESOURCEA(entries[i].id), MAKEINTRESOURCEA(3)),
                  nullptr)
            << "image " << i << " is missing";
    }
    std::sort(sizes.begin(), sizes.end());
    EXPECT_EQ(sizes, (std::vector<int>{16, 32}));
}

} // namespace

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace {

// The version record of this test program, which carries the program's resource
// script, read through the version API as Explorer reads it.
class VersionResource : public ::testing::Test
{
protected:
    void SetUp() override
    {
        char path[MAX_PATH] = {};
        ASSERT_GT(GetModuleFileNameA(nullptr, path, MAX_PATH), 0u);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(path, &ignored);
        ASSERT_GT(size, 0u) << "the program has no version record";
        m_record.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, m_record.data()));
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

    std::vector<char> m_record;
};

TEST_F(VersionResource, TheNumericVersionsAndFileKind)
{
    UINT length = 0;
    const auto *fixed = static_cast<const VS_FIXEDFILEINFO *>(query("\\", length));
    ASSERT_NE(fixed, nullptr);
    ASSERT_GE(length, sizeof(VS_FIXEDFILEINFO));
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000004u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000004u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "not a plain release build";
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
        {"FileVersion", "1.00.0004"},        {"ProductVersion", "1.00.0004"},
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

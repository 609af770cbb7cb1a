// Files through the layer: reading, writing, seeking and the ways opening fails.

#include "platform/win/win32.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

class Files : public ::testing::Test
{
protected:
    std::string Path(const char* name) const { return dir_.File(name); }

    void Put(const char* name, const std::string& content) const
    {
        std::ofstream(Path(name), std::ios::binary) << content;
    }

    std::string Get(const char* name) const
    {
        std::ifstream in(Path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static HANDLE OpenForReading(const std::string& path)
    {
        return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    static HANDLE CreateForWriting(const std::string& path)
    {
        return CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    }

    testsupport::TempDir dir_;
};

TEST_F(Files, WrittenValuesReadBackOneCallEach)
{
    HANDLE out = CreateForWriting(Path("values.bin"));
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    const DWORD count = 3;
    const float value = 1.5f;
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(out, "Name", 5, &written, nullptr));
    EXPECT_EQ(written, 5u);
    ASSERT_TRUE(WriteFile(out, &count, sizeof count, &written, nullptr));
    EXPECT_EQ(written, 4u);
    ASSERT_TRUE(WriteFile(out, &value, sizeof value, &written, nullptr));
    EXPECT_TRUE(CloseHandle(out));
    EXPECT_EQ(fs::file_size(Path("values.bin")), 13u);

    HANDLE in = OpenForReading(Path("values.bin"));
    ASSERT_NE(in, INVALID_HANDLE_VALUE);
    char name[5];
    DWORD readCount = 0;
    float readValue = 0;
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(in, name, 5, &got, nullptr));
    EXPECT_EQ(got, 5u);
    EXPECT_STREQ(name, "Name");
    ASSERT_TRUE(ReadFile(in, &readCount, 4, &got, nullptr));
    ASSERT_TRUE(ReadFile(in, &readValue, 4, &got, nullptr));
    EXPECT_EQ(readCount, 3u);
    EXPECT_EQ(readValue, 1.5f);

    // At the end a read succeeds and delivers nothing.
    ASSERT_TRUE(ReadFile(in, &readCount, 4, &got, nullptr));
    EXPECT_EQ(got, 0u);
    CloseHandle(in);
}

TEST_F(Files, AShortReadReportsWhatItGot)
{
    Put("short.bin", "abc");
    HANDLE in = OpenForReading(Path("short.bin"));
    ASSERT_NE(in, INVALID_HANDLE_VALUE);
    char buffer[8] = {};
    DWORD got = 99;
    EXPECT_TRUE(ReadFile(in, buffer, 4, &got, nullptr));
    EXPECT_EQ(got, 3u);
    EXPECT_STREQ(buffer, "abc");
    CloseHandle(in);
}

TEST_F(Files, CreateAlwaysReplacesAnExistingFile)
{
    Put("old.txt", "a much longer old content");
    HANDLE out = CreateForWriting(Path("old.txt"));
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(out, "new", 3, &written, nullptr);
    CloseHandle(out);
    EXPECT_EQ(Get("old.txt"), "new");
}

TEST_F(Files, SeekingFromEachOrigin)
{
    Put("ten.bin", "0123456789");
    HANDLE f = OpenForReading(Path("ten.bin"));
    ASSERT_NE(f, INVALID_HANDLE_VALUE);

    struct Case
    {
        LONG distance;
        DWORD method;
        DWORD position;
        char next; // the byte read there; 0 for the end of the file
    };
    const Case cases[] = {
        {0, FILE_END, 10, 0},     // the file's size, as the normals reader takes it
        {0, FILE_BEGIN, 0, '0'},  //
        {3, FILE_CURRENT, 4, '4'}, // after the read of '0', 1 + 3
        {-2, FILE_END, 8, '8'},   //
        {-4, FILE_CURRENT, 5, '5'},
        {20, FILE_BEGIN, 20, 0},  // past the end is allowed; reading gives nothing
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(::testing::Message() << "distance " << c.distance << " method " << c.method);
        EXPECT_EQ(SetFilePointer(f, c.distance, nullptr, c.method), c.position);
        char byte = 0;
        DWORD got = 0;
        ASSERT_TRUE(ReadFile(f, &byte, 1, &got, nullptr));
        EXPECT_EQ(got, c.next ? 1u : 0u);
        EXPECT_EQ(byte, c.next);
    }
    CloseHandle(f);
}

TEST_F(Files, SeekingBeforeTheStartFailsAndKeepsThePosition)
{
    Put("ten.bin", "0123456789");
    HANDLE f = OpenForReading(Path("ten.bin"));
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    ASSERT_EQ(SetFilePointer(f, 6, nullptr, FILE_BEGIN), 6u);
    EXPECT_EQ(SetFilePointer(f, -7, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(SetFilePointer(f, 7, nullptr, 99), INVALID_SET_FILE_POINTER) << "no such origin";
    EXPECT_EQ(SetFilePointer(f, 0, nullptr, FILE_CURRENT), 6u);

    LONG high = 0;
    EXPECT_EQ(SetFilePointer(f, 2, &high, FILE_BEGIN), 2u) << "with a high part of 0";
    EXPECT_EQ(high, 0);
    CloseHandle(f);
}

TEST_F(Files, OpeningFails)
{
    Put("exists.txt", "x");
    fs::create_directory(Path("folder"));
    struct Case
    {
        const char* what;
        std::string path;
        DWORD access;
        DWORD disposition;
    };
    const Case cases[] = {
        {"a missing file for reading", Path("missing.txt"), GENERIC_READ, OPEN_EXISTING},
        {"a folder for reading", Path("folder"), GENERIC_READ, OPEN_EXISTING},
        {"a folder for writing", Path("folder"), GENERIC_WRITE, CREATE_ALWAYS},
        {"a file in a missing folder", Path("nowhere/new.txt"), GENERIC_WRITE, CREATE_ALWAYS},
        {"an existing file as new", Path("exists.txt"), GENERIC_WRITE, CREATE_NEW},
        {"an empty name", "", GENERIC_READ, OPEN_EXISTING},
        {"an unknown disposition", Path("exists.txt"), GENERIC_READ, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CreateFileA(c.path.c_str(), c.access, FILE_SHARE_READ, nullptr, c.disposition,
                              FILE_ATTRIBUTE_NORMAL, nullptr),
                  INVALID_HANDLE_VALUE)
            << c.what;
    EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(fs::exists(Path("missing.txt"))) << "reading creates nothing";
}

TEST_F(Files, TwoReadersShareAFile)
{
    Put("shared.txt", "ab");
    HANDLE first = OpenForReading(Path("shared.txt"));
    HANDLE second = OpenForReading(Path("shared.txt"));
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    ASSERT_NE(second, INVALID_HANDLE_VALUE);
    char a = 0, b = 0;
    DWORD got = 0;
    ReadFile(first, &a, 1, &got, nullptr);
    ReadFile(second, &b, 1, &got, nullptr);
    EXPECT_EQ(a, 'a');
    EXPECT_EQ(b, 'a') << "each handle has its own position";
    CloseHandle(first);
    CloseHandle(second);
}

// Reads are served from a buffer filled ahead; what a handle hands out must
// still be the file as it stands at its own position.
TEST_F(Files, ReadsInPiecesOfAnySizeGiveTheWholeFile)
{
    std::string content(200 * 1000, '\0');
    for (std::size_t i = 0; i < content.size(); ++i)
        content[i] = static_cast<char>(i * 7 + i / 251);
    Put("big.bin", content);
    for (DWORD piece : {1u, 3u, 4096u, 70000u, 300000u})
    {
        SCOPED_TRACE(::testing::Message() << "pieces of " << piece);
        HANDLE in = OpenForReading(Path("big.bin"));
        ASSERT_NE(in, INVALID_HANDLE_VALUE);
        std::string got;
        std::string chunk(piece, '\0');
        DWORD n = 0;
        do
        {
            ASSERT_TRUE(ReadFile(in, chunk.data(), piece, &n, nullptr));
            got.append(chunk, 0, n);
        } while (n == piece);
        EXPECT_TRUE(got == content);
        CloseHandle(in);
    }
}

TEST_F(Files, AReadSeesWhatAnotherHandleWroteAfterIt)
{
    Put("changing.txt", "abcdef");
    HANDLE in = OpenForReading(Path("changing.txt"));
    HANDLE out = CreateFileA(Path("changing.txt").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(in, INVALID_HANDLE_VALUE);
    ASSERT_NE(out, INVALID_HANDLE_VALUE);
    char c = 0;
    DWORD n = 0;
    ASSERT_TRUE(ReadFile(in, &c, 1, &n, nullptr));
    EXPECT_EQ(c, 'a');
    ASSERT_TRUE(WriteFile(out, "XY", 2, &n, nullptr));
    ASSERT_TRUE(ReadFile(in, &c, 1, &n, nullptr));
    EXPECT_EQ(c, 'Y') << "the second byte as written, not as first read";
    CloseHandle(in);
    CloseHandle(out);
}

TEST_F(Files, AWriteAfterAReadLandsAtTheHandlesPosition)
{
    Put("both.txt", "abcdef");
    HANDLE f = CreateFileA(Path("both.txt").c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    char two[2] = {};
    DWORD n = 0;
    ASSERT_TRUE(ReadFile(f, two, 2, &n, nullptr));
    ASSERT_TRUE(WriteFile(f, "Z", 1, &n, nullptr));
    EXPECT_EQ(SetFilePointer(f, 0, nullptr, FILE_CURRENT), 3u);
    char rest[4] = {};
    ASSERT_TRUE(ReadFile(f, rest, 3, &n, nullptr));
    EXPECT_STREQ(rest, "def");
    CloseHandle(f);
    EXPECT_EQ(Get("both.txt"), "abZdef");
}

TEST_F(Files, HandlesRefuseWhatTheyWereNotOpenedForAndDieOnClose)
{
    Put("r.txt", "r");
    HANDLE in = OpenForReading(Path("r.txt"));
    ASSERT_NE(in, INVALID_HANDLE_VALUE);
    DWORD done = 7;
    EXPECT_FALSE(WriteFile(in, "x", 1, &done, nullptr));
    EXPECT_EQ(done, 0u);
    EXPECT_EQ(Get("r.txt"), "r");

    EXPECT_TRUE(CloseHandle(in));
    char c;
    EXPECT_FALSE(ReadFile(in, &c, 1, &done, nullptr)) << "a closed handle";
    EXPECT_FALSE(CloseHandle(in)) << "closed twice";
    EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, &c, 1, &done, nullptr));
    EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
    EXPECT_EQ(SetFilePointer(INVALID_HANDLE_VALUE, 0, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
}

TEST_F(Files, DeletingRemovesTheNameOnly)
{
    Put("gone.txt", "x");
    Put("target.txt", "kept");
    fs::create_symlink(Path("target.txt"), Path("link.txt"));
    fs::create_directory(Path("folder"));

    EXPECT_TRUE(DeleteFileA(Path("gone.txt").c_str()));
    EXPECT_FALSE(fs::exists(Path("gone.txt")));
    EXPECT_TRUE(DeleteFileA(Path("link.txt").c_str()));
    EXPECT_FALSE(fs::is_symlink(fs::symlink_status(Path("link.txt"))));
    EXPECT_EQ(Get("target.txt"), "kept") << "the link goes, not what it points to";

    EXPECT_FALSE(DeleteFileA(Path("gone.txt").c_str())) << "already gone";
    EXPECT_FALSE(DeleteFileA(Path("folder").c_str())) << "a folder is no file";
    EXPECT_TRUE(fs::is_directory(Path("folder")));
    EXPECT_FALSE(DeleteFileA(""));
    EXPECT_FALSE(DeleteFileA(nullptr));
}

} // namespace

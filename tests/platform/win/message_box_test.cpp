// Message boxes in the non-interactive mode: one line on standard error and
// the default answer at once.

#include "platform/win/message_box.h"
#include "platform/win/win32.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Shown
{
    std::string text, caption;
    UINT type;
};
std::vector<Shown> shown;

void Record(HWND, LPCSTR text, LPCSTR caption, UINT type)
{
    shown.push_back({text, caption, type});
}

TEST(MessageBoxes, TheEnvironmentChoosesStandardError)
{
    setenv("GO3D_MESSAGEBOX", "stderr", 1);
    ::testing::internal::CaptureStderr();
    const int answer = MessageBoxA(nullptr, "An error occured\nReason: none", "Fatal Error", MB_ICONERROR);
    const std::string err = ::testing::internal::GetCapturedStderr();
    unsetenv("GO3D_MESSAGEBOX");
    EXPECT_EQ(answer, IDOK);
    EXPECT_EQ(err, "[Fatal Error] An error occured\\nReason: none\n");
}

TEST(MessageBoxes, AHookHearsEveryBoxAndTheDefaultButtonAnswers)
{
    SetMessageBoxHook(Record);
    shown.clear();
    struct Case
    {
        UINT type;
        int answer;
    };
    const Case cases[] = {
        {MB_OK, IDOK},
        {MB_ICONEXCLAMATION, IDOK},
        {MB_OKCANCEL | MB_ICONQUESTION, IDOK},
        {MB_YESNO, IDYES},
    };
    ::testing::internal::CaptureStderr();
    for (const Case& c : cases)
        EXPECT_EQ(MessageBoxA(nullptr, "Feeling suicidal today huh? :)", "Illegal move", c.type), c.answer)
            << "type " << c.type;
    MessageBoxA(nullptr, nullptr, nullptr, MB_OK);
    const std::string err = ::testing::internal::GetCapturedStderr();
    SetMessageBoxHook(nullptr);

    ASSERT_EQ(shown.size(), 5u);
    EXPECT_EQ(shown[1].text, "Feeling suicidal today huh? :)");
    EXPECT_EQ(shown[1].caption, "Illegal move");
    EXPECT_EQ(shown[1].type, MB_ICONEXCLAMATION);
    EXPECT_EQ(shown[4].text, "");
    EXPECT_EQ(shown[4].caption, "Error") << "a box without a caption";
    EXPECT_NE(err.find("[Illegal move] Feeling suicidal today huh? :)\n"), std::string::npos);
}

TEST(SaveDialog, AnswersAsCancelled)
{
    char file[512] = "left over";
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = file;
    ofn.nMaxFile = sizeof file;
    ofn.Flags = OFN_PATHMUSTEXIST;
    EXPECT_FALSE(GetSaveFileNameA(&ofn));
    EXPECT_STREQ(file, "");
    EXPECT_FALSE(GetSaveFileNameA(nullptr));
}

} // namespace

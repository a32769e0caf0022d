#include "session/LaunchTag.h"

#include <gtest/gtest.h>

#include "support/FakeSystem.h"
#include "support/ScopedServices.h"

namespace {

TEST(LaunchTagTest, TakesSevenCharactersWithADashAfterTheLastUnderscore) {
    const struct {
        const wchar_t* path;
        const wchar_t* tag;
    } cases[] = {
        {L"C:\\Users\\me\\Downloads\\setup_ab1-x9z.exe", L"ab1-x9z"},
        {L"C:\\Users\\me\\Downloads\\setup_ab1-x9z (1).exe", L""},
        {L"C:\\Users\\me\\Downloads\\setup_abcdefg.exe", L""},
        {L"C:\\Users\\me\\Downloads\\setup_a-b.c-d.exe", L"a-b.c-d"},
        {L"C:\\Users\\me\\Downloads\\run_abc-def", L"abc-def"},
        {L"C:\\my_files\\setup.exe", L""},
        {L"C:\\my_files\\setup_ab-cdef.exe", L"ab-cdef"},
        {L"C:\\Downloads\\setup.exe", L""},
        {L"", L""},
        {L"C:\\x\\setup_-------.exe", L"-------"},
        {L"C:\\x\\setup_ab-cdefg.exe", L""},
        {L"C:\\x\\setup_ab-cde.exe", L""},
        {L"/home/me/Downloads/setup_ab1-x9z.exe", L"ab1-x9z"},
        {L"C:\\x\\setup_\u00e4b-c\u00e9d\u00fc.exe", L"\u00e4b-c\u00e9d\u00fc"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(LaunchTagFromPath(c.path), c.tag) << testing::PrintToString(std::wstring(c.path));
    }
}

TEST(LaunchTagTest, ReadsTheModulePathAsTheFixedBufferCutsIt) {
    auto system = std::make_shared<testing_support::FakeSystem>();
    testing_support::ScopedServices services({system, nullptr, nullptr});

    system->modulePath = L"C:\\Users\\me\\Downloads\\setup_ab1-x9z.exe";
    EXPECT_EQ(GetLaunchTag(), L"ab1-x9z");

    // 259 characters survive; the tag here ends exactly at the cut, so its extension is gone.
    const std::wstring folder = L"C:\\" + std::wstring(245, L'd') + L"\\";
    system->modulePath = folder + L"s_ab1-x9z.exe";
    ASSERT_EQ(folder.size() + 10, 259u);
    EXPECT_EQ(GetLaunchTag(), L"ab1-x9z");

    system->modulePath = folder + L"xxx_ab1-x9z.exe";  // cut inside the tag
    EXPECT_EQ(GetLaunchTag(), L"");
}

}  // namespace

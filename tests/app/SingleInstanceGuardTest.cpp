#include "app/SingleInstanceGuard.h"

#include <optional>
#include <string>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

TEST(SingleInstanceGuardTest, MutexNameCarriesThePageSet) {
    EXPECT_EQ(SingleInstanceMutexName(L"DLM"), L"Global\\TarnwickDLMSingleInstanceMutex");
    EXPECT_EQ(SingleInstanceMutexName(L"ISV"), L"Global\\TarnwickISVSingleInstanceMutex");
}

// Page-set names of this test run, so that a wizard running on the machine or a parallel
// test does not meet these mutexes.
std::wstring UniquePageSet(const wchar_t* pageSet) {
    static const std::wstring run = std::to_wstring(::testing::UnitTest::GetInstance()->random_seed()) +
                                    std::to_wstring(reinterpret_cast<std::uintptr_t>(&run));
    return pageSet + run;
}

TEST(SingleInstanceGuardTest, SecondWizardOfAPageSetIsRefusedWhileTheFirstRuns) {
    const std::wstring dlm = UniquePageSet(L"DLM");
    const std::wstring isv = UniquePageSet(L"ISV");
    std::optional<SingleInstanceGuard> first(std::in_place, dlm);
    EXPECT_TRUE(first->IsFirstInstance());
    EXPECT_FALSE(SingleInstanceGuard(dlm).IsFirstInstance());
    EXPECT_TRUE(SingleInstanceGuard(isv).IsFirstInstance());  // side by side
    EXPECT_FALSE(SingleInstanceGuard(dlm).IsFirstInstance());  // the refused ones took nothing
    first.reset();
    EXPECT_TRUE(SingleInstanceGuard(dlm).IsFirstInstance());
}

#ifndef _WIN32
// The mutex belongs to the machine, and a holder that dies gives it back without any
// clean-up of its own.
TEST(SingleInstanceGuardTest, AnotherProcessHoldsItUntilItDies) {
    const std::wstring pageSet = UniquePageSet(L"DLM");
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        SingleInstanceGuard guard(pageSet);
        const char answer = guard.IsFirstInstance() ? '1' : '0';
        (void)!::write(ready[1], &answer, 1);
        ::pause();
        ::_exit(0);
    }
    ::close(ready[1]);
    char answer = 0;
    ASSERT_EQ(::read(ready[0], &answer, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(answer, '1');
    EXPECT_FALSE(SingleInstanceGuard(pageSet).IsFirstInstance());
    EXPECT_TRUE(SingleInstanceGuard(UniquePageSet(L"ISV")).IsFirstInstance());

    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(SingleInstanceGuard(pageSet).IsFirstInstance());
}
#endif

}  // namespace

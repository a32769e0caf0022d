#ifdef _WIN32
#include "platform/NamedMutex.h"

#include <random>

#include <gtest/gtest.h>

namespace {

// A name no other run of the tests uses at the same time.
std::wstring UniqueName(const std::wstring& prefix) {
    std::random_device random;
    return prefix + L"TarnwickTest" + std::to_wstring(random()) + std::to_wstring(random());
}

TEST(NamedMutexWin32Test, SecondCreatorSeesTheFirstUntilItsHandleCloses) {
    for (const std::wstring prefix : {L"", L"Local\\", L"Global\\"}) {
        const std::wstring name = UniqueName(prefix);
        SCOPED_TRACE(testing::PrintToString(name));
        bool existed = true;
        std::unique_ptr<platform::NamedMutex> first = platform::NamedMutex::Create(name, existed);
        ASSERT_NE(first, nullptr);
        EXPECT_FALSE(existed);

        std::unique_ptr<platform::NamedMutex> second = platform::NamedMutex::Create(name, existed);
        ASSERT_NE(second, nullptr) << "a mutex that exists still hands out a handle";
        EXPECT_TRUE(existed);

        second.reset();
        first.reset();
        std::unique_ptr<platform::NamedMutex> again = platform::NamedMutex::Create(name, existed);
        ASSERT_NE(again, nullptr);
        EXPECT_FALSE(existed) << "closing every handle removes the mutex";
    }
}

TEST(NamedMutexWin32Test, NamesAreIndependent) {
    bool existed = true;
    const auto first = platform::NamedMutex::Create(UniqueName(L"Global\\"), existed);
    ASSERT_NE(first, nullptr);
    const auto other = platform::NamedMutex::Create(UniqueName(L"Global\\"), existed);
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(existed);
}

}  // namespace
#endif

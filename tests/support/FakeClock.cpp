#include "support/FakeClock.h"

namespace testing_support {

std::chrono::system_clock::time_point FakeClock::Now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

platform::LocalTime FakeClock::GetLocalTime() const {
    std::lock_guard lock(mutex_);
    return local_;
}

void FakeClock::Sleep(std::chrono::milliseconds duration) const {
    std::lock_guard lock(mutex_);
    sleeps_.push_back(duration);
    now_ += duration;
}

void FakeClock::SetNow(std::chrono::system_clock::time_point now) {
    std::lock_guard lock(mutex_);
    now_ = now;
}

void FakeClock::SetLocalTime(const platform::LocalTime& local) {
    std::lock_guard lock(mutex_);
    local_ = local;
}

std::vector<std::chrono::milliseconds> FakeClock::Sleeps() const {
    std::lock_guard lock(mutex_);
    return sleeps_;
}

}  // namespace testing_support

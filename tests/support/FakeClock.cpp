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

platform::LocalTime FakeClock::ToLocalTime(std::chrono::system_clock::time_point time) const {
    using namespace std::chrono;
    const sys_days day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss<milliseconds> clock{floor<milliseconds>(time - day)};
    return platform::LocalTime{static_cast<int>(date.year()),
                               static_cast<int>(static_cast<unsigned>(date.month())),
                               static_cast<int>(static_cast<unsigned>(date.day())),
                               static_cast<int>(clock.hours().count()),
                               static_cast<int>(clock.minutes().count()),
                               static_cast<int>(clock.seconds().count()),
                               static_cast<int>(clock.subseconds().count()),
                               static_cast<int>(weekday{day}.c_encoding())};
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

#include "support/TempFolder.h"

#include <atomic>
#include <chrono>
#include <random>

namespace testing_support {

TempFolder::TempFolder() {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const auto base = std::filesystem::temp_directory_path();
    for (;;) {
        path_ = base / ("tarnwick-test-" + std::to_string(random()) + "-" +
                        std::to_string(counter.fetch_add(1)));
        if (std::filesystem::create_directory(path_)) break;
    }
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

}  // namespace testing_support

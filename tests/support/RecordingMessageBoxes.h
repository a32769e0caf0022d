#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "ui/MessageBoxes.h"

namespace testing_support {

// Installed while it lives: answers every box with OK and remembers its text.
class RecordingMessageBoxes {
public:
    RecordingMessageBoxes();
    ~RecordingMessageBoxes();
    RecordingMessageBoxes(const RecordingMessageBoxes&) = delete;
    RecordingMessageBoxes& operator=(const RecordingMessageBoxes&) = delete;

    std::vector<std::wstring> Texts() const;

private:
    class Boxes;
    std::shared_ptr<Boxes> boxes_;
    std::shared_ptr<ui::MessageBoxes> previous_;
};

}  // namespace testing_support

#include "support/RecordingMessageBoxes.h"

namespace testing_support {

class RecordingMessageBoxes::Boxes : public ui::MessageBoxes {
public:
    int Show(const std::wstring& text, const std::wstring&, unsigned) override {
        std::lock_guard lock(mutex);
        texts.push_back(text);
        return ui::kIdOk;
    }
    mutable std::mutex mutex;
    std::vector<std::wstring> texts;
};

RecordingMessageBoxes::RecordingMessageBoxes()
    : boxes_(std::make_shared<Boxes>()), previous_(ui::InstallMessageBoxes(boxes_)) {}

RecordingMessageBoxes::~RecordingMessageBoxes() { ui::InstallMessageBoxes(previous_); }

std::vector<std::wstring> RecordingMessageBoxes::Texts() const {
    std::lock_guard lock(boxes_->mutex);
    return boxes_->texts;
}

}  // namespace testing_support

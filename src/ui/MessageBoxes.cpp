#include "ui/MessageBoxes.h"

#include <iostream>
#include <mutex>

#include "platform/TextCodec.h"

namespace ui {
namespace {

class ConsoleMessageBoxes : public MessageBoxes {
public:
    int Show(const std::wstring& text, const std::wstring& title, unsigned) override {
        std::cerr << platform::EncodeUtf8(title) << ": " << platform::EncodeUtf8(text) << '\n';
        return kIdOk;
    }
};

std::mutex& BoxesMutex() {
    static std::mutex mutex;
    return mutex;
}

std::shared_ptr<MessageBoxes>& Installed() {
    static std::shared_ptr<MessageBoxes> boxes = std::make_shared<ConsoleMessageBoxes>();
    return boxes;
}

}  // namespace

std::shared_ptr<MessageBoxes> GetMessageBoxes() {
    std::lock_guard lock(BoxesMutex());
    return Installed();
}

std::shared_ptr<MessageBoxes> InstallMessageBoxes(std::shared_ptr<MessageBoxes> boxes) {
    std::lock_guard lock(BoxesMutex());
    std::swap(Installed(), boxes);
    return boxes;
}

}  // namespace ui

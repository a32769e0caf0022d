#include "ui/MessageBoxes.h"

#include <cstdio>
#include <mutex>
#include <string>

#include "platform/TextCodec.h"

namespace ui {
namespace {

class ConsoleMessageBoxes : public MessageBoxes {
public:
    int Show(const std::wstring& text, const std::wstring& title, unsigned) override {
        // Written with the C library: the stream library would bring the C++ locale machinery
        // into every program, most of the size of the wizard.
        const std::string line =
            platform::EncodeUtf8(title) + ": " + platform::EncodeUtf8(text) + '\n';
        std::fwrite(line.data(), 1, line.size(), stderr);
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

#pragma once

#include <memory>

#include "platform/Registry.h"

namespace testing_support {

// Passes every call to the registry it wraps and counts the calls, so tests can pin what an
// operation costs.
class CountingRegistry : public platform::Registry {
public:
    explicit CountingRegistry(std::shared_ptr<platform::Registry> inner)
        : inner_(std::move(inner)) {}

    struct Counts {
        int open = 0;
        int openA = 0;
        int create = 0;
        int getValue = 0;
        int queryValue = 0;
        int queryValueA = 0;
        int enumKey = 0;
        int queryInfo = 0;
        int setValue = 0;
        int close = 0;
        int succeededOpens = 0;  // opens (either form) and creates that returned a key to close
        int Total() const {
            return open + openA + create + getValue + queryValue + queryValueA + enumKey +
                   queryInfo + setValue + close;
        }
    };

    const Counts& Calls() const { return counts_; }
    void Reset() { counts_ = Counts{}; }

    long OpenKey(platform::Hkey key, std::wstring_view subKey, std::uint32_t options,
                 platform::RegSam access, platform::Hkey& result) override {
        ++counts_.open;
        return Opened(inner_->OpenKey(key, subKey, options, access, result));
    }
    long OpenKeyA(platform::Hkey key, std::string_view subKey, std::uint32_t options,
                  platform::RegSam access, platform::Hkey& result) override {
        ++counts_.openA;
        return Opened(inner_->OpenKeyA(key, subKey, options, access, result));
    }
    long CreateKey(platform::Hkey key, std::wstring_view subKey, platform::RegSam access,
                   platform::Hkey& result, bool* created) override {
        ++counts_.create;
        return Opened(inner_->CreateKey(key, subKey, access, result, created));
    }
    long GetValue(platform::Hkey key, std::wstring_view subKey, std::wstring_view valueName,
                  std::uint32_t flags, std::uint32_t* type, void* data,
                  std::uint32_t* dataSize) override {
        ++counts_.getValue;
        return inner_->GetValue(key, subKey, valueName, flags, type, data, dataSize);
    }
    long QueryValue(platform::Hkey key, std::wstring_view valueName, std::uint32_t* type,
                    void* data, std::uint32_t* dataSize) override {
        ++counts_.queryValue;
        return inner_->QueryValue(key, valueName, type, data, dataSize);
    }
    long QueryValueA(platform::Hkey key, std::string_view valueName, std::uint32_t* type,
                     void* data, std::uint32_t* dataSize) override {
        ++counts_.queryValueA;
        return inner_->QueryValueA(key, valueName, type, data, dataSize);
    }
    long EnumKey(platform::Hkey key, std::uint32_t index, wchar_t* name,
                 std::uint32_t* nameLength) override {
        ++counts_.enumKey;
        return inner_->EnumKey(key, index, name, nameLength);
    }
    long QueryInfoKey(platform::Hkey key, platform::KeyInfo& info) override {
        ++counts_.queryInfo;
        return inner_->QueryInfoKey(key, info);
    }
    long SetValue(platform::Hkey key, std::wstring_view valueName, std::uint32_t type,
                  const void* data, std::uint32_t dataSize) override {
        ++counts_.setValue;
        return inner_->SetValue(key, valueName, type, data, dataSize);
    }
    long CloseKey(platform::Hkey key) override {
        ++counts_.close;
        return inner_->CloseKey(key);
    }

private:
    long Opened(long status) {
        if (status == platform::kErrorSuccess) ++counts_.succeededOpens;
        return status;
    }

    std::shared_ptr<platform::Registry> inner_;
    Counts counts_;
};

}  // namespace testing_support

#include "platform/posix/HiveKey.h"

#include <unicode/uchar.h>

#include <algorithm>

namespace platform::posix {
namespace {

const HiveKey* FindIn(const HiveKey* key, const std::vector<std::wstring>& foldedPath) {
    for (const std::wstring& segment : foldedPath) {
        if (key == nullptr) return nullptr;
        key = key->FindChild(segment);
    }
    return key;
}

}  // namespace

std::wstring FoldKeyName(std::wstring_view name) {
    // Windows compares registry names by their upper-case forms, character by character.
    std::wstring folded(name);
    for (wchar_t& c : folded) c = static_cast<wchar_t>(u_toupper(static_cast<UChar32>(c)));
    return folded;
}

const HiveKey* HiveKey::FindChild(const std::wstring& folded) const {
    const auto found = children_.find(folded);
    return found == children_.end() ? nullptr : found->second.get();
}

HiveKey* HiveKey::FindChild(const std::wstring& folded) {
    const auto found = children_.find(folded);
    return found == children_.end() ? nullptr : found->second.get();
}

HiveKey& HiveKey::AddChild(std::wstring_view name) {
    std::unique_ptr<HiveKey>& child = children_[FoldKeyName(name)];
    if (!child) {
        child = std::make_unique<HiveKey>(std::wstring(name));
        ForgetOrder();
    }
    return *child;
}

void HiveKey::RemoveChild(std::wstring_view name) {
    if (children_.erase(FoldKeyName(name)) > 0) ForgetOrder();
}

const HiveKey* HiveKey::Find(const std::vector<std::wstring>& foldedPath) const {
    return FindIn(this, foldedPath);
}

HiveKey* HiveKey::Find(const std::vector<std::wstring>& foldedPath) {
    return const_cast<HiveKey*>(FindIn(this, foldedPath));
}

const HiveKey& HiveKey::ChildAt(std::size_t index) const {
    if (order_.size() != children_.size()) {
        order_.clear();
        for (const auto& [folded, child] : children_) order_.push_back(child.get());
    }
    return *order_[index];
}

std::size_t HiveKey::MaxChildNameLength() const {
    std::size_t longest = 0;
    for (const auto& [folded, child] : children_) longest = std::max(longest, child->name_.size());
    return longest;
}

const HiveKey::Value* HiveKey::FindValue(std::wstring_view name) const {
    const std::wstring folded = FoldKeyName(name);
    for (const Value& value : values_) {
        if (FoldKeyName(value.name) == folded) return &value;
    }
    return nullptr;
}

void HiveKey::SetValue(Value value) {
    for (Value& existing : values_) {
        if (FoldKeyName(existing.name) == FoldKeyName(value.name)) {
            // The name keeps the case it was first written with, as on Windows.
            existing.type = value.type;
            existing.data = std::move(value.data);
            return;
        }
    }
    values_.push_back(std::move(value));
}

void HiveKey::RemoveValue(std::wstring_view name) {
    const std::wstring folded = FoldKeyName(name);
    std::erase_if(values_, [&](const Value& value) { return FoldKeyName(value.name) == folded; });
}

void HiveKey::Apply(const RegFileDocument& document, std::wstring_view rootName) {
    const std::wstring root = FoldKeyName(rootName);
    for (const RegFileKey& section : document.keys) {
        std::vector<std::wstring> segments = SplitRegPath(section.path);
        if (FoldKeyName(segments.front()) != root) continue;
        segments.erase(segments.begin());
        if (section.remove) {
            if (segments.empty()) {
                *this = HiveKey(name_);
                continue;
            }
            const std::wstring last = segments.back();
            segments.pop_back();
            HiveKey* parent = this;
            for (const std::wstring& segment : segments) {
                parent = parent == nullptr ? nullptr : parent->FindChild(FoldKeyName(segment));
            }
            if (parent != nullptr) parent->RemoveChild(last);
            continue;
        }
        HiveKey* key = this;
        for (const std::wstring& segment : segments) key = &key->AddChild(segment);
        for (const RegFileValue& value : section.values) {
            if (value.remove) {
                key->RemoveValue(value.name);
            } else {
                key->SetValue(Value{value.name, value.type, value.data});
            }
        }
    }
}

void HiveKey::Export(const std::wstring& path, RegFileDocument& document) const {
    RegFileKey section;
    section.path = path;
    for (const Value& value : values_) {
        RegFileValue line;
        line.name = value.name;
        line.type = value.type;
        line.data = value.data;
        section.values.push_back(std::move(line));
    }
    document.keys.push_back(std::move(section));
    for (std::size_t i = 0; i < ChildCount(); ++i) {
        const HiveKey& child = ChildAt(i);
        child.Export(path + L"\\" + child.Name(), document);
    }
}

}  // namespace platform::posix

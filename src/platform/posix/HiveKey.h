#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/RegFile.h"

namespace platform::posix {

// A key name folded for comparison: the registry compares names without regard to case.
std::wstring FoldKeyName(std::wstring_view name);

// One key of an emulated hive with its values and subkeys. Names keep the case they were
// created with; lookups ignore case. Subkeys are kept in the order of their folded names,
// which is the order they are enumerated in.
class HiveKey {
public:
    struct Value {
        std::wstring name;
        std::uint32_t type = 0;
        std::string data;  // as the registry keeps it: text types in UTF-16LE
    };

    explicit HiveKey(std::wstring name = {}) : name_(std::move(name)) {}

    const std::wstring& Name() const { return name_; }

    // The subkey whose folded name is `folded`, or null.
    const HiveKey* FindChild(const std::wstring& folded) const;
    HiveKey* FindChild(const std::wstring& folded);
    // The subkey `name`, made when it does not exist yet.
    HiveKey& AddChild(std::wstring_view name);
    void RemoveChild(std::wstring_view name);

    // The key at the path of folded names below this one, or null.
    const HiveKey* Find(const std::vector<std::wstring>& foldedPath) const;
    HiveKey* Find(const std::vector<std::wstring>& foldedPath);

    std::size_t ChildCount() const { return children_.size(); }
    // The subkey at `index` in enumeration order; `index` < ChildCount().
    const HiveKey& ChildAt(std::size_t index) const;
    std::size_t MaxChildNameLength() const;

    const std::vector<Value>& Values() const { return values_; }
    const Value* FindValue(std::wstring_view name) const;
    void SetValue(Value value);
    void RemoveValue(std::wstring_view name);

    // Applies the sections of `document` whose root is `rootName` below this key, which stands
    // for that root; sections of other roots are skipped.
    void Apply(const RegFileDocument& document, std::wstring_view rootName);

    // Appends this key and everything below it as sections, in enumeration order, under the
    // path `path`.
    void Export(const std::wstring& path, RegFileDocument& document) const;

private:
    void ForgetOrder() { order_.clear(); }

    std::wstring name_;
    std::vector<Value> values_;
    std::map<std::wstring, std::unique_ptr<HiveKey>> children_;  // by folded name
    // Enumeration by index; made when first asked for after a change.
    mutable std::vector<const HiveKey*> order_;
};

}  // namespace platform::posix

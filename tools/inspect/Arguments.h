#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace inspect {

// A mistake on the command line; its text is shown to the operator as it is.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// "--name value" options and bare words, in the order given.
class Arguments {
public:
    // `known` lists every option that takes a value; anything else starting with "--" is an
    // error.
    Arguments(const std::vector<std::string>& words, const std::vector<std::string>& known);

    bool Has(const std::string& option) const;
    std::string Get(const std::string& option) const;  // throws when missing
    std::string GetOr(const std::string& option, const std::string& fallback) const;
    std::vector<std::string> GetAll(const std::string& option) const;
    const std::vector<std::string>& Positional() const { return positional_; }

private:
    std::multimap<std::string, std::string> options_;
    std::vector<std::string> positional_;
};

}  // namespace inspect

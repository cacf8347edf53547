#include "framework/TypeRegistry.h"

#include <algorithm>
#include <cctype>
#include <map>

namespace TypeRegistry {
namespace {

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::tolower(c); });
    return s;
}

struct Registry {
    std::map<std::string, std::string> bases;   // name -> base
    std::map<std::string, std::string> byLower; // lower-case name -> name
};

Registry& Classes()
{
    static Registry registry;
    return registry;
}

}  // namespace

bool Register(const std::string& name, const std::string& base)
{
    auto& registry = Classes();
    registry.bases[name] = base;
    registry.byLower[Lower(name)] = name;
    return true;
}

std::string Find(const std::string& name)
{
    const auto& byLower = Classes().byLower;
    auto it = byLower.find(Lower(name));
    return it == byLower.end() ? std::string() : it->second;
}

bool IsA(const std::string& type, const std::string& ancestor)
{
    if (ancestor.empty()) return false;
    const auto& bases = Classes().bases;
    std::string current = type;
    // The chain is short; the bound only guards against a mistaken cycle.
    for (int depth = 0; depth < 64 && !current.empty(); ++depth) {
        if (current == ancestor) return true;
        auto it = bases.find(current);
        if (it == bases.end()) return false;
        current = it->second;
    }
    return false;
}

}  // namespace TypeRegistry

// A remembered lookup, for objects that look another one up by key every frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// One remembered lookup by key in a keyed registry (of objects, resources). It holds the
// result weakly, so it keeps nothing alive.
template <class T>
struct TObjectLookup {
    std::string key;
    uint64_t version = 0;  // of the registry when the lookup was made
    std::weak_ptr<T> object;
};

// The result of lookup() for key in registry (a KeyedMap), made again only when the
// registry has changed since the lookup remembered in last, or the key differs from its.
template <class T, class Registry, class Lookup>
std::shared_ptr<T> RememberedLookup(const Registry& registry, const std::string& key, TObjectLookup<T>& last,
                                    Lookup&& lookup)
{
    const uint64_t version = registry.Version();
    if (last.version != version || last.key != key) {
        last.object = lookup();
        last.key = key;
        last.version = version;
    }
    return last.object.lock();
}

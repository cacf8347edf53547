// A remembered lookup, for objects that look another one up by key every frame.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// One remembered lookup of a game object by key, for lookups made every frame. It holds
// the object weakly, so it keeps nothing alive.
template <class T>
struct TObjectLookup {
    std::string key;
    uint64_t version = 0;  // of the object registry when the lookup was made
    std::weak_ptr<T> object;
};

// Root of every framework class: keyed integer flags and keyed resources.
#pragma once

#include <memory>
#include <string>

#include "framework/KeyedMap.h"
#include "framework/ObjectLookup.h"
#include "framework/TypeRegistry.h"

class TGameResource;

class TGameBase {
public:
    static const char* StaticTypeName() { return "TGameBase"; }

    TGameBase() = default;
    virtual ~TGameBase() = default;
    TGameBase(const TGameBase&) = delete;
    TGameBase& operator=(const TGameBase&) = delete;

    // Flags, kept as the decimal text of their value.
    virtual int SetFlag(const std::string& key, int value);
    virtual int GetFlag(const std::string& key);
    virtual int RemoveFlag(const std::string& key);
    virtual int ClearFlags();

    // Resources: stored by key; a resource may live under several keys or stores.
    virtual std::shared_ptr<TGameResource> AddGameResource(const std::string& key,
                                                           std::shared_ptr<TGameResource> resource);
    virtual int RemoveGameResource(const std::string& key);
    virtual int IsGameResource(const std::string& key);
    virtual std::shared_ptr<TGameResource> GetGameResource(const std::string& key);
    virtual int ClearResources();
    // Drops the fonts and meshes: they belong to the engine device's caches and go with it.
    virtual int ClearEngineResources();

    // The name of the object's class as declared.
    virtual std::string GetType() const { return StaticTypeName(); }

    // The resource under key as the subclass the caller expects, or null.
    template <class R>
    std::shared_ptr<R> GetGameResourceAs(const std::string& key)
    {
        return std::dynamic_pointer_cast<R>(GetGameResource(key));
    }

    // The same, made again only when the resources have changed since the lookup
    // remembered in last (or the key differs from its key).
    template <class R>
    std::shared_ptr<R> GetGameResourceAs(const std::string& key, TObjectLookup<R>& last)
    {
        return RememberedLookup(GameResources, key, last, [&] { return GetGameResourceAs<R>(key); });
    }

    bool HasFlag(const std::string& key) const { return GameFlags.Contains(key); }

    KeyedMap<std::shared_ptr<TGameResource>> GameResources;
    KeyedMap<std::string> GameFlags;
};

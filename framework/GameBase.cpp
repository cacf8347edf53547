#include "framework/GameBase.h"

#include <cstdlib>

#include "framework/GameResource.h"

namespace {
const bool rootRegistered = TypeRegistry::Register(TGameBase::StaticTypeName(), "");
}

int TGameBase::SetFlag(const std::string& key, int value)
{
    RemoveFlag(key);
    GameFlags.Set(key, std::to_string(value));
    return 0;
}

int TGameBase::GetFlag(const std::string& key)
{
    const std::string* value = GameFlags.Find(key);
    return value ? static_cast<int>(std::strtol(value->c_str(), nullptr, 10)) : 0;
}

int TGameBase::RemoveFlag(const std::string& key)
{
    GameFlags.Remove(key);
    return 0;
}

int TGameBase::ClearFlags()
{
    GameFlags.Clear();
    return 0;
}

std::shared_ptr<TGameResource> TGameBase::AddGameResource(const std::string& key,
                                                          std::shared_ptr<TGameResource> resource)
{
    RemoveGameResource(key);
    GameResources.Set(key, resource);
    return resource;
}

int TGameBase::RemoveGameResource(const std::string& key)
{
    if (IsGameResource(key)) GameResources.Remove(key);
    return 0;
}

int TGameBase::IsGameResource(const std::string& key)
{
    return GetGameResource(key) != nullptr ? 1 : 0;
}

std::shared_ptr<TGameResource> TGameBase::GetGameResource(const std::string& key)
{
    return GameResources.Get(key);
}

int TGameBase::ClearResources()
{
    for (const auto& key : MapKeysToArray(GameResources)) RemoveGameResource(key);
    return 0;
}

int TGameBase::ClearEngineResources()
{
    for (const auto& key : MapKeysToArray(GameResources)) {
        const std::shared_ptr<TGameResource> resource = GameResources.Get(key);
        if (resource && (resource->res_type == "Font" || resource->res_type == "Mesh")) RemoveGameResource(key);
    }
    return 0;
}

// Names of the framework's and the game's classes with their base classes, so that
// objects can be selected by class name ("TTank" selects tanks and anything derived).
#pragma once

#include <string>

namespace TypeRegistry {

// Records a class and its base (empty for the root). Returns true, for static registration.
bool Register(const std::string& name, const std::string& base);

// The registered spelling of a class name looked up without regard to letter case,
// or the empty string when no such class is registered.
std::string Find(const std::string& name);

// True when class `type` is class `ancestor` or derives from it (exact, registered names).
bool IsA(const std::string& type, const std::string& ancestor);

}  // namespace TypeRegistry

// Declares a framework class's name and base: defines GetType() and registers the class.
#define VEXMOOR_CLASS(Name, Base)                                                            \
public:                                                                                      \
    static const char* StaticTypeName() { return #Name; }                                    \
    std::string GetType() const override { return #Name; }                                   \
                                                                                             \
private:                                                                                     \
    inline static const bool vexmoorRegistered_ =                                            \
        TypeRegistry::Register(#Name, Base::StaticTypeName());                               \
                                                                                             \
public:

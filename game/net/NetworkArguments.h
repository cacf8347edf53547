// The command line's network roles: "--host [[ADDRESS:]PORT]" listens (on every address
// unless one is given, on UDP 47400 unless a port is), "--join HOST[:PORT]" connects.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "net/NetSession.h"

class TNetworkMatch;

struct TNetworkArguments {
    enum class Role { None, Host, Join };
    Role role = Role::None;
    TNetAddress address;  // host: where to listen; join: the host

    // Whether arg names a role (--host or --join).
    static bool IsRole(const std::string& arg);
    // Takes the role at args[*index] and its value, if it has one, leaving *index on the
    // last argument used. A second role or a bad address is refused: false, with a line in
    // *error.
    bool TakeRole(const std::vector<std::string>& args, size_t* index, std::string* error);

    // The match the role asks for (null for none, or with a line in *error when the
    // address cannot be used).
    std::shared_ptr<TNetworkMatch> Start(std::string* error) const;
};

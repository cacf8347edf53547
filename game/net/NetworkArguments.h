// The command line's network roles: "--host [[ADDRESS:]PORT]" listens (on every address
// unless one is given, on UDP 47400 unless a port is), "--join HOST[:PORT]" connects.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/NetSession.h"

class TNetworkMatch;

struct TNetworkArguments {
    enum class Role { None, Host, Join };
    Role role = Role::None;
    TNetAddress address;  // host: where to listen; join: the host

    // Reads args (the program's arguments without its name). Anything it does not know,
    // a second role or a bad address is refused with a line in *error.
    static std::optional<TNetworkArguments> Parse(const std::vector<std::string>& args, std::string* error);

    // The match the role asks for (null for none, or with a line in *error when the
    // address cannot be used).
    std::shared_ptr<TNetworkMatch> Start(std::string* error) const;
};

#include "game/net/NetworkArguments.h"

#include <cstdlib>

#include "game/net/NetworkMatch.h"

namespace {

const char* const kAnyAddress = "0.0.0.0";

bool IsPort(const std::string& text)
{
    return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

}  // namespace

std::optional<TNetworkArguments> TNetworkArguments::Parse(const std::vector<std::string>& args, std::string* error)
{
    TNetworkArguments out;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg != "--host" && arg != "--join") {
            if (error) *error = "unknown argument \"" + arg + "\" (use --host [[ADDRESS:]PORT] or --join HOST[:PORT])";
            return std::nullopt;
        }
        if (out.role != Role::None) {
            if (error) *error = "one of --host and --join, once";
            return std::nullopt;
        }
        const bool host = arg == "--host";
        out.role = host ? Role::Host : Role::Join;
        const bool hasValue = i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0;
        if (!hasValue) {
            if (!host) {
                if (error) *error = "--join needs the host's address: --join HOST[:PORT]";
                return std::nullopt;
            }
            out.address = TNetAddress{kAnyAddress, Wire::kDefaultPort};
            continue;
        }
        const std::string value = args[++i];
        // A bare number after --host is the port.
        const std::string text = host && IsPort(value) ? std::string(kAnyAddress) + ":" + value : value;
        std::string why;
        auto address = TNetAddress::Parse(text, &why);
        if (!address) {
            if (error) *error = arg + ": " + why;
            return std::nullopt;
        }
        out.address = *address;
    }
    return out;
}

std::shared_ptr<TNetworkMatch> TNetworkArguments::Start(std::string* error) const
{
    switch (role) {
        case Role::Host: return TNetworkMatch::Host(address.host, address.port, error);
        case Role::Join: return TNetworkMatch::Join(address, error);
        case Role::None: break;
    }
    return nullptr;
}

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

bool TNetworkArguments::IsRole(const std::string& arg)
{
    return arg == "--host" || arg == "--join";
}

bool TNetworkArguments::TakeRole(const std::vector<std::string>& args, size_t* index, std::string* error)
{
    size_t& i = *index;
    const std::string& arg = args[i];
    if (role != Role::None) {
        if (error) *error = "one of --host and --join, once";
        return false;
    }
    const bool host = arg == "--host";
    role = host ? Role::Host : Role::Join;
    const bool hasValue = i + 1 < args.size() && args[i + 1].rfind("--", 0) != 0;
    if (!hasValue) {
        if (!host) {
            if (error) *error = "--join needs the host's address: --join HOST[:PORT]";
            return false;
        }
        address = TNetAddress{kAnyAddress, Wire::kDefaultPort};
        return true;
    }
    const std::string value = args[++i];
    // A bare number after --host is the port.
    const std::string text = host && IsPort(value) ? std::string(kAnyAddress) + ":" + value : value;
    std::string why;
    auto parsed = TNetAddress::Parse(text, &why);
    if (!parsed) {
        if (error) *error = arg + ": " + why;
        return false;
    }
    address = *parsed;
    return true;
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

// The command line's network roles: what is accepted and what is refused with a line.
#include <gtest/gtest.h>

#include "game/CommandLine.h"

namespace {

// The network role of a command line, or none when the line is refused (its line in *error).
std::optional<TNetworkArguments> Parse(std::vector<std::string> args, std::string* error = nullptr)
{
    const TCommandLine line = TCommandLine::Parse(args);
    if (error) *error = line.error;
    if (line.action == TCommandLine::Action::Refuse) return std::nullopt;
    return line.network;
}

}  // namespace

TEST(NetworkArguments, HostListensEverywhereOnTheDefaultPortUnlessToldAndJoinNeedsAnAddress)
{
    auto none = Parse({});
    ASSERT_TRUE(none);
    EXPECT_EQ(none->role, TNetworkArguments::Role::None);

    auto host = Parse({"--host"});
    ASSERT_TRUE(host);
    EXPECT_EQ(host->role, TNetworkArguments::Role::Host);
    EXPECT_EQ(host->address.ToString(), "0.0.0.0:47400");
    EXPECT_EQ(Parse({"--host", "5000"})->address.ToString(), "0.0.0.0:5000");
    EXPECT_EQ(Parse({"--host", "127.0.0.1:5001"})->address.ToString(), "127.0.0.1:5001");

    auto join = Parse({"--join", "192.168.1.20"});
    ASSERT_TRUE(join);
    EXPECT_EQ(join->role, TNetworkArguments::Role::Join);
    EXPECT_EQ(join->address.ToString(), "192.168.1.20:47400");
    EXPECT_EQ(Parse({"--join", "localhost:47401"})->address.ToString(), "localhost:47401");

    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--join"}, {"--host", "70000"}, {"--join", "h:"}, {"--host", "--join", "h"},
                                               {"--join", "a", "--join", "b"}, {"--hots"}, {"47400"}}) {
        std::string error;
        EXPECT_FALSE(Parse(bad, &error)) << bad[0];
        EXPECT_FALSE(error.empty());
    }
}

TEST(NetworkArguments, AnAddressThatCannotBeUsedIsSaidAndStartsNothing)
{
    std::string error;
    auto taken = TNetSession::Host("127.0.0.1", 0, [] { return 0u; }, {}, &error);
    ASSERT_TRUE(taken) << error;
    const std::string address = "127.0.0.1:" + std::to_string(taken->GetPort());
    auto args = Parse({"--host", address});
    ASSERT_TRUE(args);
    EXPECT_EQ(args->Start(&error), nullptr);
    EXPECT_NE(error.find("cannot listen on " + address), std::string::npos) << error;
    EXPECT_EQ(Parse({"--join", "no such host.invalid"}), std::nullopt);
}

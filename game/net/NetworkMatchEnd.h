// Who hears how a network match ended: the set-up screen, which offers the same role
// again and says why the match ended. The network match reports to it as it is left.
#pragma once

#include <string>

class TNetSession;

class TNetworkMatchEnd {
public:
    virtual ~TNetworkMatchEnd() = default;
    // The match over `session` is left; endMessage says why it ended early (empty otherwise).
    virtual void AfterNetworkMatch(const TNetSession& session, const std::string& endMessage) = 0;
};

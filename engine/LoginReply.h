#pragma once

#include "data/Text.h"

namespace Zumeli {

struct LoginRecord;
class WebService;

// Outcomes of the login reply reader.
enum LoginResult : int {
    LoginSucceeded = 0,
    LoginRefused = 1,      // "FAIL": bad user name or password
    LoginBadReply = 2,     // no readable status
    LoginTooManyUsers = 5, // "FAIL" with "tmu" 1
};

// Reads the login reply. On "OK" the record gets the session, the address the session endpoint
// moves to, the channel bounds, the stamps and the raw own details ("sud"); the session
// identifier is also given to the login endpoint.
LoginResult readLoginReply(const Text& reply, LoginRecord& record, WebService& loginEndpoint);

} // namespace Zumeli

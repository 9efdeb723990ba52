#include "engine/LoginRecord.h"

#include "engine/PasswordDigest.h"

namespace Zumeli {

void LoginRecord::setAccount(const Text& name, const Text& password)
{
    userName = name;
    passwordDigest = Zumeli::passwordDigest(password);
    anonymous = false;
}

void LoginRecord::setGuest()
{
    userName = "anonymous";
    passwordDigest = Zumeli::passwordDigest("anonymous");
    anonymous = true;
}

} // namespace Zumeli

#pragma once

#include "data/Text.h"
#include "engine/FormFields.h"

namespace Zumeli {

// One call of the web service as it goes on the wire: the call path (after the endpoint's path
// prefix) and its form fields in the order they are sent. Built by WebService, sent either by
// the blocking post or by a background task's HttpAsyncPost.
struct WebRequest {
    Text path;
    FormFields fields;
};

} // namespace Zumeli

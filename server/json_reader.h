// The request bodies the server takes: one flat JSON object whose values are all strings, such as
// {"team": "...", "pin": "...", "bridge": "..."}. Anything else is refused with a reason.
#pragma once

#include <map>
#include <string>
#include <string_view>

using JsonFields = std::map<std::string, std::string, std::less<>>;

// Parses body into fields (strings decoded to UTF-8; \u escapes of lone surrogates refused). A
// repeated key, a value that is not a string, or any byte after the object is an error; the
// reason is one line for the client.
bool readJsonFields(std::string_view body, JsonFields& fields, std::string& reason);

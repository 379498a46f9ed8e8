// A small JSON writer for the tool's reports and logs: numbers that round-trip as doubles, byte
// strings escaped so that any bridge name or path stays valid JSON, and objects written in order.
#pragma once

#include <string>
#include <string_view>

#include "files/text_output.h"

// Appends value with 17 significant digits, or null when it is not finite.
void jsonNumber(std::string& out, double value);

// Appends text as a JSON string; bytes outside printable ASCII become \u escapes (Latin-1).
void jsonString(std::string& out, const char* text);

// Appends UTF-8 text as a JSON string: valid characters as they are, control characters and
// < > & as \u escapes (so the string is safe inside an HTML page's script too), and any byte that
// starts no valid character as U+FFFD.
void jsonUtf8(std::string& out, std::string_view text);

// Writes the members of one JSON object in order, with the commas between them.
class JsonObject {
  public:
    explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
    void close() { out_ += '}'; }

    // Starts the member called name; the caller writes its value.
    std::string& key(const char* name) {
        if (!first_) out_ += ',';
        first_ = false;
        jsonString(out_, name);
        out_ += ':';
        return out_;
    }
    void integer(const char* name, long value) { appendFormat(key(name), "%ld", value); }
    void number(const char* name, double value) { jsonNumber(key(name), value); }
    void text(const char* name, const char* value) { jsonString(key(name), value); }
    void utf8(const char* name, std::string_view value) { jsonUtf8(key(name), value); }
    // null when the value does not exist.
    void number(const char* name, bool exists, double value) {
        if (exists) {
            number(name, value);
        } else {
            key(name) += "null";
        }
    }
    void boolean(const char* name, bool exists, bool value) {
        key(name) += !exists ? "null" : value ? "true" : "false";
    }

  private:
    std::string& out_;
    bool first_ = true;
};

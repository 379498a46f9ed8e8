// JSON text for trussmill-cli's reports: numbers with 17 significant digits (so that they read
// back as the same doubles), strings escaped byte by byte, and objects written member by member.
#pragma once

#include <string>

// A number, or null when it is not finite (JSON has no infinities or NaN).
void jsonNumber(std::string& out, double value);

// A quoted string. Names and paths are bytes: control characters and bytes from 0x7F up are
// written as \u00XX (read as Latin-1), so the text stays valid JSON whatever the file held.
void jsonString(std::string& out, const char* text);

// Writes the members of one JSON object in order, with the commas between them.
class JsonObject {
  public:
    explicit JsonObject(std::string& out) : out_(out) { out_ += '{'; }
    void close() { out_ += '}'; }

    // Starts the member called name; the caller writes its value.
    std::string& key(const char* name);
    void integer(const char* name, long value);
    void number(const char* name, double value) { jsonNumber(key(name), value); }
    void text(const char* name, const char* value) { jsonString(key(name), value); }
    // null when the value does not exist.
    void number(const char* name, bool exists, double value);
    void boolean(const char* name, bool exists, bool value);

  private:
    std::string& out_;
    bool first_ = true;
};

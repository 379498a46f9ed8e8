// JSON numbers, strings and objects for the reports of trussmill-cli.
#include "cli/json_writer.h"

#include <cmath>

#include "files/text_output.h"

void jsonNumber(std::string& out, double value) {
    if (!std::isfinite(value)) {
        out += "null";
        return;
    }
    appendFormat(out, "%.17g", value);
}

void jsonString(std::string& out, const char* text) {
    out += '"';
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != '\0'; ++p) {
        switch (*p) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (*p < 0x20 || *p >= 0x7F) {
                    appendFormat(out, "\\u%04x", *p);
                } else {
                    out += static_cast<char>(*p);
                }
        }
    }
    out += '"';
}

std::string& JsonObject::key(const char* name) {
    if (!first_) out_ += ',';
    first_ = false;
    jsonString(out_, name);
    out_ += ':';
    return out_;
}

void JsonObject::integer(const char* name, long value) {
    appendFormat(key(name), "%ld", value);
}

void JsonObject::number(const char* name, bool exists, double value) {
    if (exists) {
        number(name, value);
    } else {
        key(name) += "null";
    }
}

void JsonObject::boolean(const char* name, bool exists, bool value) {
    key(name) += !exists ? "null" : value ? "true" : "false";
}

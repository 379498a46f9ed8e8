// The JSON writer's escaping and number format.
#include "grading/json_writer.h"

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
                    appendFormat(out, "\\u%04x", *p);  // names are bytes; Latin-1 keeps JSON valid
                } else {
                    out += static_cast<char>(*p);
                }
        }
    }
    out += '"';
}

void jsonUtf8(std::string& out, std::string_view text) {
    out += '"';
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const size_t n = utf8Length(text, i);
        if (n == 0) {
            out += "\\ufffd";
            i += 1;
            continue;
        }
        if (n > 1) {
            out.append(text, i, n);
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F || c == '<' || c == '>' || c == '&') {
            appendFormat(out, "\\u%04x", c);
        } else {
            out += static_cast<char>(c);
        }
        i += n;
    }
    out += '"';
}

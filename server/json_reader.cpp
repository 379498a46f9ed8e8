// A strict reader for flat JSON objects of strings (RFC 8259 syntax, no nesting).
#include "server/json_reader.h"

namespace {

struct Reader {
    std::string_view text;
    size_t at = 0;

    void skipSpace() {
        while (at < text.size() &&
               (text[at] == ' ' || text[at] == '\t' || text[at] == '\n' || text[at] == '\r'))
            ++at;
    }
    bool take(char c) {
        skipSpace();
        if (at < text.size() && text[at] == c) {
            ++at;
            return true;
        }
        return false;
    }
    bool hex4(unsigned& value) {
        if (text.size() - at < 4) return false;
        value = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = text[at++];
            value <<= 4;
            if (c >= '0' && c <= '9') {
                value |= unsigned(c - '0');
            } else if (c >= 'a' && c <= 'f') {
                value |= unsigned(c - 'a' + 10);
            } else if (c >= 'A' && c <= 'F') {
                value |= unsigned(c - 'A' + 10);
            } else {
                return false;
            }
        }
        return true;
    }
    static void appendUtf8(std::string& out, unsigned cp) {
        if (cp < 0x80) {
            out += char(cp);
        } else if (cp < 0x800) {
            out += char(0xC0 | (cp >> 6));
            out += char(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += char(0xE0 | (cp >> 12));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        } else {
            out += char(0xF0 | (cp >> 18));
            out += char(0x80 | ((cp >> 12) & 0x3F));
            out += char(0x80 | ((cp >> 6) & 0x3F));
            out += char(0x80 | (cp & 0x3F));
        }
    }
    // A string starting at the opening quote; raw bytes pass as they are (checked by the caller).
    bool string(std::string& out) {
        if (!take('"')) return false;
        while (at < text.size()) {
            const char c = text[at++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at >= text.size()) return false;
            const char e = text[at++];
            switch (e) {
                case '"':
                case '\\':
                case '/':
                    out += e;
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    unsigned cp = 0;
                    if (!hex4(cp)) return false;
                    if (cp >= 0xDC00 && cp <= 0xDFFF) return false;
                    if (cp >= 0xD800 && cp <= 0xDBFF) {
                        unsigned low = 0;
                        if (text.substr(at, 2) != "\\u") return false;
                        at += 2;
                        if (!hex4(low) || low < 0xDC00 || low > 0xDFFF) return false;
                        cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                    }
                    appendUtf8(out, cp);
                    break;
                }
                default:
                    return false;
            }
        }
        return false;
    }
};

}  // namespace

bool readJsonFields(std::string_view body, JsonFields& fields, std::string& reason) {
    Reader r{body};
    fields.clear();
    reason = "the body is not a JSON object of strings";
    if (!r.take('{')) return false;
    if (!r.take('}')) {
        do {
            std::string key, value;
            r.skipSpace();
            if (!r.string(key) || !r.take(':')) return false;
            r.skipSpace();
            if (!r.string(value)) return false;
            if (!fields.emplace(std::move(key), std::move(value)).second) {
                reason = "a key is given twice";
                return false;
            }
        } while (r.take(','));
        if (!r.take('}')) return false;
    }
    r.skipSpace();
    if (r.at != body.size()) return false;
    reason.clear();
    return true;
}

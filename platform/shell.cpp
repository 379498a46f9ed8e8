// Helpers of the shell contract that every backend shares.
#include "platform/shell.h"

std::vector<FileFilter> parseFileFilters(std::string_view text) {
    std::vector<FileFilter> filters;
    if (text.empty()) return filters;
    const char separator = text.back();
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == separator) {
            fields.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    for (size_t i = 0; i + 1 < fields.size(); i += 2) {
        filters.push_back({std::string(fields[i]), std::string(fields[i + 1])});
    }
    return filters;
}

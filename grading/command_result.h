// How one of trussmill-cli's commands ended, for the entry point to turn into an exit status and
// one line on standard error.
#pragma once

#include <string>

// The exit statuses of trussmill-cli.
constexpr int CLI_OK = 0;
constexpr int CLI_FILE_ERROR = 1;   // a file could not be read or written, or the bridge has no answer
constexpr int CLI_USAGE_ERROR = 2;  // the command line was wrong

struct CommandResult {
    int status = CLI_OK;
    // Empty when the command succeeded; else the line to print after "trussmill-cli: ", beginning
    // with the file it concerns where there is one.
    std::string error;

    static CommandResult failed(int status, const std::string& subject, const std::string& reason) {
        return {status, subject.empty() ? reason : subject + ": " + reason};
    }
};

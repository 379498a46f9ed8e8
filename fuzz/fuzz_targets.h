// The fuzzed entry points. Each takes one input of arbitrary bytes, runs it as far as the program
// would, and returns the first broken property in one line, or an empty string. libFuzzer's entry
// point (libfuzzer_entry.cpp) aborts on a broken property; the tests run every kept input and seed
// through the same functions.
#pragma once

#include <string>
#include <string_view>

// The bytes as a bridge file read over a bridge already on the board: either refused with a reason
// in plain text and the bridge untouched, or taken as a whole with every count, index and size
// within its table; a taken file written out and read again gives the same bridge and the same
// bytes.
std::string checkBridgeReaderInput(std::string_view bytes);

// The bytes as a bridge file carried as far as the program carries one: the check before an
// analysis, the analysis with no option, each option alone, all of them and one combination more,
// the board and its panels, the DXF and VRML texts and the printed reports. Every result and every
// number written is finite.
std::string checkPipelineInput(std::string_view bytes);

// The bytes as a replay script: either refused with the number of the bad line and a reason, or
// replayed on the program from start-up, with the checks of a random session after every event.
// File dialogs answer with sandbox files picked by the path the script names.
std::string checkReplayInput(std::string_view bytes);

// The bytes as an assignment file, whose name is also made of them: either refused with the number
// of a line of the text and a reason in printable UTF-8, or taken as strict UTF-8 without control
// characters but tabs, with a printable title of at most 120 bytes and every key on the line the
// reader says it is on.
std::string checkAssignmentInput(std::string_view bytes);

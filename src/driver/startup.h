// Start-up: the dialogue that names the files, opening the units, and the
// echo of the input file into the output file.
#pragma once

#include <string>
#include <string_view>

namespace kv {

// The folder as typed, every "\" turned into "/" (a folder typed the Windows way).
std::string folder_path(std::string_view folder);

// The path of name in folder: joined with "/"; a trailing "/" or "\" on the
// folder is taken as the separator; a blank folder is the current directory.
std::string join_path(std::string_view folder, std::string_view name);

// Banner and the three questions on the console, the answers from standard
// input; fills FNAME and opens units 5 (input), 6 (output) and 10-60 (side
// files), writing the header of units 49 and 50. Stops the run with status 1
// when an answer is missing or a file cannot be used.
void start_up();

// Copies the input file (unit 5) into the output file under the echo header,
// up to the end, a line holding "NOECHO" (not copied) or a line holding
// "STOP" (copied); rewinds unit 5.
void echo_input();

}  // namespace kv

// Console progress lines, title time stamps and process CPU time.
#pragma once

#include <ctime>
#include <string>
#include <string_view>

namespace kv {

inline constexpr int kConsole = 1;  // console unit: standard output

// CPU seconds (user plus system) the process has used.
double cpu_seconds();

// " TIME: hh:mm:ss, DATE: dd-MON-yy" for a local time.
std::string stamp_text(const std::tm& t);

// A 112-column title: columns 1-79 what the title line gave, 80-112 the
// current local time stamp.
std::string stamped_title(std::string_view text);

// The console-line layout: " *---", the message with a blank and dashes up to
// 45 columns, "*"; with IZ and MEM also " IZ=" (I7), " MEM=" (F6.3) and "%".
void console_line(int unit, std::string_view message);
void console_line(int unit, std::string_view message, int iz, float mem);

// A blank and the first 70 characters of a title, on the console.
void console_title(std::string_view title);

// The first n characters of text, blank-padded to n.
std::string fixed(std::string_view text, std::size_t n);

}  // namespace kv

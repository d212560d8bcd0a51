#include "driver/console.h"

#include <sys/resource.h>

#include <cstdio>

#include "fio/fio.h"

namespace kv {

double cpu_seconds() {
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  auto secs = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + 1e-6 * static_cast<double>(tv.tv_usec); };
  return secs(ru.ru_utime) + secs(ru.ru_stime);
}

std::string stamp_text(const std::tm& t) {
  static constexpr const char* kMonths[12] = {"JAN", "FEB", "MAR", "APR", "MAY", "JUN",
                                              "JUL", "AUG", "SEP", "OCT", "NOV", "DEC"};
  const int mon = (t.tm_mon >= 0 && t.tm_mon < 12) ? t.tm_mon : 0;
  char buf[40];
  std::snprintf(buf, sizeof buf, " TIME: %02d:%02d:%02d, DATE: %02d-%s-%02d", t.tm_hour, t.tm_min, t.tm_sec,
                t.tm_mday, kMonths[mon], (t.tm_year + 1900) % 100);
  return buf;
}

std::string stamped_title(std::string_view text) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  std::string title = fixed(text, 79) + stamp_text(local);
  title.resize(112, ' ');
  return title;
}

std::string fixed(std::string_view text, std::size_t n) {
  std::string s(text.substr(0, n));
  s.resize(n, ' ');
  return s;
}

namespace {
std::string message_field(std::string_view message) {
  std::string field(message.substr(0, 45));
  if (field.size() < 45) field += ' ';
  field.resize(45, '-');
  return field;
}
}  // namespace

void console_line(int unit, std::string_view message) {
  fio::write(unit, "(1X,'*---',A45,'*')", message_field(message));
}

void console_line(int unit, std::string_view message, int iz, float mem) {
  fio::write(unit, "(1X,'*---',A45,'*',' IZ=',I7,' MEM=',F6.3,'%')", message_field(message), iz, mem);
}

void console_title(std::string_view title) {
  fio::write(kConsole, "(1X,A)", fixed(title, 70));
}

}  // namespace kv

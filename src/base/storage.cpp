#include "base/storage.h"

#include <algorithm>
#include <string>

#include "base/globals.h"
#include "base/work_array.h"
#include "fio/fio.h"

namespace kv {

void memchk(std::int64_t n1, std::int64_t n2) {
  const std::int64_t required = std::max<std::int64_t>(ctl(kIZ), n2) + n1;
  if (required <= kWorkWords) return;

  const std::string stars(49, '*');
  for (int k = 0; k < 3; ++k) fio::write_record(6, "");
  fio::write(6, "(1X,A)", stars);
  fio::write(6, "(1X,'***  AVAILABLE STORAGE IS EXCEEDED',T48,'***')");
  fio::write(6, "(1X,'***  REQURIED STORAGE =',I10,T48,'***')", required);
  fio::write(6, "(1X,'***  AVAILABLE STORAGE =',I10,T48,'***')", kWorkWords);
  fio::write(6, "(1X,'***  EXECUTION IS TERMINATED,',T48,'***')");
  fio::write(6, "(1X,'***  RECOMPILE PROGRAM WITH INCREASED MEMORY',T48,'***')");
  fio::write(6, "(1X,A)", stars);
  stop_run(1, "REQUIRED MEMORY > AVAILABLE MEMORY ");
}

std::int64_t reserve(std::int64_t n) {
  // A negative size comes from a count that overflowed or made no sense; taking
  // it would move IZ back over tables in use.
  if (n < 0) {
    fio::write(6, "(/' *** A TABLE OF',I12,' WORDS CANNOT BE RESERVED: A COUNT IN THE INPUT IS OUT OF RANGE')", n);
    stop_run(1, "REQUIRED MEMORY > AVAILABLE MEMORY ");
  }
  memchk(n, 0);
  const std::int64_t p = ctl(kIZ);
  ctl(kIZ) = static_cast<std::int32_t>(p + n);
  return p;
}

std::int64_t reserve_doubles(std::int64_t n) {
  const std::int64_t pad = ctl(kIZ) % 2 != 0 ? 1 : 0;
  return reserve(2 * std::max<std::int64_t>(n, 0) + pad) + pad;
}

void memrst(int iopt, int n) {
  if (iopt != 1) return;
  const int last = std::min(n, kContrlWords);
  for (int k = 2; k <= last; ++k) ctl(k) = 0;
  ctl(kIZ) = 1;
  titles().title1.assign(kTitleLen, ' ');
  titles().title2.assign(kTitleLen, ' ');
}

void page_header(int unit) {
  fio::write(unit, "('1 STRUCTURE....: ',A)", titles().title1);
  fio::write(unit, "('  SOLUTION.....: ',A)", titles().title2);
  fio::write_record(unit, "");
}

void memdmp() {
  page_header(6);
  fio::write(6, "(1X,'DUMPING MEMORY')");
  if (!trace('N')) return;

  // The dump runs in word pairs up to IZ (or IZ + 1); it never leaves the array,
  // whatever IZ holds.
  const std::int64_t iz = std::clamp<std::int64_t>(ctl(kIZ), 0, kWorkWords);
  for (std::int64_t j = 1; j <= (iz + 1) / 2; ++j) {
    const std::int64_t i = 2 * j - 1;
    const std::int32_t first = izm(i);
    if (first != 0)
      fio::write(6, "(' ZMATRX(',I6,'):',I15,1P,2E20.10)", i, first, static_cast<float>(rzm(i)),
                 static_cast<double>(dzm(i)));
    const std::int32_t second = izm(i + 1);
    if (second != 0)
      fio::write(6, "(' ZMATRX(',I6,'):',I15,1P,E20.10)", i + 1, second, static_cast<float>(rzm(i + 1)));
  }
}

}  // namespace kv

#include "driver/main_program.h"

namespace kv {
int main_program() { return 0; }
}  // namespace kv

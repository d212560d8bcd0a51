#pragma once

namespace kv {
// The whole run: dialogue, files, echo, command loop. Returns the exit status.
int main_program();
}  // namespace kv

// kelvoran: asks for the folder, the input and the output file, then runs the
// commands of the input file.
#include "driver/main_program.h"

int main() { return kv::main_program(); }

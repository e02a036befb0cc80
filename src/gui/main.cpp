// The K52 programming software: reads, edits and writes the configuration memory of the
// K52 hand-held radios.

#include "gui/qtprogram.h"

int main(int argc, char* argv[]) { return k52::runProgram(argc, argv); }

#pragma once
#include <QString>
#include <cstdint>

namespace k52 {

// The Chinese description of a run-time error number, or the empty text for a number
// the table does not know. The table holds the 118 trappable run-time errors.
QString errorDescription(int16_t number);

// Every number the table knows, in ascending order (for tests and the help text).
const int16_t* errorDescriptionNumbers(int* count);

}  // namespace k52

#pragma once
#include <cstdint>

// Milliseconds of a steady clock, as an unsigned 32-bit count that wraps; compare two
// readings by unsigned subtraction.
uint32_t TickCount();

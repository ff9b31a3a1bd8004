#pragma once

// Every installed header includes this one first, so that a host compiled below C++20 stops here
// with one error that names the standard, not at each place the headers use C++20. A missing
// include stops the compiler where #error would let it go on to those places.
#if __cplusplus < 202002L
#include "Tavelin needs C++20 or later: compile with -std=c++20"
#endif

// Symbols of the public interface; everything else in the library is hidden.
#define TAV_API __attribute__((visibility("default")))

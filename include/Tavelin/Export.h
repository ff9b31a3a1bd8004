#pragma once

// Symbols of the public interface; everything else in the library is hidden.
#define TAV_API __attribute__((visibility("default")))

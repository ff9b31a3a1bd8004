#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>

// Result record of the exported functions; its layout is fixed for hosts.
#pragma pack(push, 1)
struct TavResult {
    uint8_t Code;  // 0 success, 1 error
    char ExceptionType[256];
    char Message[2048];
    char File[2048];
    int32_t Line;
    char Function[256];
    uint8_t HasInnerException;
    char InnerExceptionType[256];
    char InnerMessage[2048];
    char InnerFile[2048];
    int32_t InnerLine;
    char InnerFunction[256];
};
#pragma pack(pop)

static_assert(offsetof(TavResult, Code) == 0);
static_assert(offsetof(TavResult, ExceptionType) == 1);
static_assert(offsetof(TavResult, Message) == 257);
static_assert(offsetof(TavResult, File) == 2305);
static_assert(offsetof(TavResult, Line) == 4353);
static_assert(offsetof(TavResult, Function) == 4357);
static_assert(offsetof(TavResult, HasInnerException) == 4613);
static_assert(offsetof(TavResult, InnerExceptionType) == 4614);
static_assert(offsetof(TavResult, InnerMessage) == 4870);
static_assert(offsetof(TavResult, InnerFile) == 6918);
static_assert(offsetof(TavResult, InnerLine) == 8966);
static_assert(offsetof(TavResult, InnerFunction) == 8970);
static_assert(sizeof(TavResult) == 9226);
static_assert(alignof(TavResult) == 1);

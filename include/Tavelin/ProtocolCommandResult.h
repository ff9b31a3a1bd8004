#pragma once

#include "Tavelin/Export.h"

#include <cstddef>
#include <cstdint>

// Result of every protocol-facade operation. All zero means success.
struct ProtocolCommandResult {
    bool HasException;
    char ExceptionType[256];
    char Message[2048];
    char File[2048];
    int32_t Line;
    char Function[256];
};

static_assert(offsetof(ProtocolCommandResult, HasException) == 0);
static_assert(offsetof(ProtocolCommandResult, ExceptionType) == 1);
static_assert(offsetof(ProtocolCommandResult, Message) == 257);
static_assert(offsetof(ProtocolCommandResult, File) == 2305);
static_assert(offsetof(ProtocolCommandResult, Line) == 4356);
static_assert(offsetof(ProtocolCommandResult, Function) == 4360);
static_assert(sizeof(ProtocolCommandResult) == 4616);

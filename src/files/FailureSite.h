#pragma once

#include <string>

#include "Tavelin/ElvarinException.h"
#include "common/SourceLocation.h"

namespace TavFiles {

// Where a failure that a shared helper finds is reported: the calling reader's source name, the
// line and its step. The record then names the file format's code, never the helper.
struct FailureSite {
    const char* file;
    int line;
    const char* function;

    [[noreturn]] void Throw(const std::string& message) const { throw ElvarinException(message, file, line, function); }
};

}  // namespace TavFiles

// The failure site of the code that writes it.
#define TAV_FAILURE_SITE (::TavFiles::FailureSite{TAV_SOURCE_FILE, __LINE__, __func__})

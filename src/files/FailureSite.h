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

// The same under the name the file format gives the step, which records carry whatever the C++
// function is called; with a fixed line where the record's line must not move with the layout.
#define TAV_STEP_SITE(step) (::TavFiles::FailureSite{TAV_SOURCE_FILE, __LINE__, (step)})
#define TAV_STEP_SITE_AT(step, line) (::TavFiles::FailureSite{TAV_SOURCE_FILE, (line), (step)})

#pragma once

#include "common/SourceLocation.h"

namespace TavProtocol {

// Where a reply check stands in a command: the command's source name, the line and the member.
// Shared reply helpers throw from this site, so a failure names the command, never the helper.
struct CheckSite {
    const char* file;
    int line;
    const char* function;
};

}  // namespace TavProtocol

// The check site of the code that writes it.
#define TAV_CHECK_SITE (::TavProtocol::CheckSite{TAV_SOURCE_FILE, __LINE__, __func__})

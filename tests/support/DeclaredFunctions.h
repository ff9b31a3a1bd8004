#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace TavTest {

// A function as a header of the source tree declares it.
struct DeclaredFunction {
    std::string name;
    std::vector<std::string> parameters;  // each as written, without its default value
};

// The flat functions of include/Tavelin.h, in the header's order. The tests that keep the lists of
// the interface whole (export list, argument rows, fuzz harness) compare against these, so a
// function added to the header and left out of a list fails.
std::vector<DeclaredFunction> FlatFunctions();

// The wrappers of the protocol library's export layer (facade/ProtocolFacadeExports.h) that name a
// facade by its handle.
std::vector<DeclaredFunction> HandleWrappers();

// The operations of an opened protocol facade (facade/ProtocolFacade.h): the members, not static,
// that return a ProtocolCommandResult.
std::vector<DeclaredFunction> FacadeOperations();

// One argument check of an exported function in src/reader/Reader_C.cpp: a Require, RequireThat or
// Fail call, with the value of the line constant it reports.
struct ArgumentCheck {
    std::string function;
    std::string constant;
    int32_t line;
};

// Every argument check, in the file's order.
std::vector<ArgumentCheck> ArgumentChecks();

// A file of the source tree, by its path from the tree's root.
std::string ReadSourceFile(const std::string& path);

}  // namespace TavTest

#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace TavTest {

// A function as a header of the source tree declares it.
struct DeclaredFunction {
    std::string name;
    std::vector<std::string> parameters;  // each as written, without its default value
    std::string returnType;               // attributes and specifiers left out, spaced as "const char*"
    std::set<std::string> specifiers;     // "static", "virtual", "friend", "TAV_API", ...
    bool isPublic = true;                 // in a class body: declared under "public:"
};

// The functions a C++ text declares at its top level and in the namespaces and extern "C" blocks
// there, or, for a class body, its members. Every form the compiler takes is read: attributes,
// specifiers, templates, line breaks, comments, qualified and trailing return types, default
// arguments, parameters named or not, inline bodies. A declaration the reader cannot be sure of
// (a conditional #if around it, a function returning a function pointer, a tail it does not know)
// throws std::runtime_error naming it, so that no function is left out unseen.
std::vector<DeclaredFunction> ReadDeclarations(const std::string& text, bool classBody = false);

// True when type is name, qualified or not ("TavProtocol::ProtocolCommandResult"), whatever words
// stand in front of it.
bool IsType(const std::string& type, const std::string& name);

// The flat functions of include/Tavelin.h (the TAV_API ones), in the header's order. The tests
// that keep the lists of the interface whole (export list, argument rows, fuzz harness) compare
// against these, so a function added to the header and left out of a list fails.
std::vector<DeclaredFunction> FlatFunctions();

// The wrappers of the protocol library's export layer (facade/ProtocolFacadeExports.h, or the
// header text given) that name a facade by its handle: those returning a ProtocolCommandResult
// whose first parameter is a ProtocolHandle.
std::vector<DeclaredFunction> HandleWrappers();
std::vector<DeclaredFunction> HandleWrappers(const std::string& header);

// The operations of an opened protocol facade (facade/ProtocolFacade.h, or the header text given):
// the public members of class ProtocolFacade, not static, that return a ProtocolCommandResult.
std::vector<DeclaredFunction> FacadeOperations();
std::vector<DeclaredFunction> FacadeOperations(const std::string& header);

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

// The bracket that closes the (, [ or { at open, brackets of all three kinds counted.
std::size_t ClosingBracket(const std::string& text, std::size_t open);

// C++ source with its comments and its string and character literals blanked out, each character
// a space (line breaks kept), so that what is left of a name is code.
std::string CodeOnly(const std::string& source);

}  // namespace TavTest

#include "support/DeclaredFunctions.h"

// g++ 12 at -O2 under the sanitizers warns falsely that the std::function inside <regex>'s states may
// be used uninitialized (GCC bug 105562); the warning says nothing about this file.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>

namespace TavTest {

namespace {

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\n");
    const auto last = text.find_last_not_of(" \t\n");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

std::vector<std::string> Parameters(const std::string& list) {
    std::vector<std::string> parameters;
    std::stringstream stream(list);
    std::string parameter;
    while (std::getline(stream, parameter, ',')) {
        parameter = Trimmed(parameter.substr(0, parameter.find('=')));
        if (!parameter.empty()) {
            parameters.push_back(parameter);
        }
    }
    return parameters;
}

// Every declaration the pattern finds: its first group the name, its second the parameter list.
std::vector<DeclaredFunction> Declarations(const std::string& path, const std::regex& pattern) {
    const std::string text = ReadSourceFile(path);
    std::vector<DeclaredFunction> functions;
    for (auto match = std::sregex_iterator(text.begin(), text.end(), pattern); match != std::sregex_iterator();
         ++match) {
        functions.push_back({(*match)[1].str(), Parameters((*match)[2].str())});
    }
    return functions;
}

}  // namespace

std::string ReadSourceFile(const std::string& path) {
    const auto full = std::filesystem::path(TAV_TEST_SOURCE_DIR) / ".." / path;
    std::ifstream in(full);
    if (!in) {
        throw std::runtime_error("cannot read " + full.string());
    }
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<DeclaredFunction> FlatFunctions() {
    static const std::regex declaration(R"(TAV_API\s+[\w:]+\s*\*?\s*(Tav\w*_\w+)\s*\(([^)]*)\))");
    return Declarations("include/Tavelin.h", declaration);
}

std::vector<DeclaredFunction> HandleWrappers() {
    static const std::regex declaration(R"(ProtocolCommandResult\s+(\w+)\s*\((ProtocolHandle\s+handle[^)]*)\))");
    return Declarations("external/tavProtocol/src/facade/ProtocolFacadeExports.h", declaration);
}

}  // namespace TavTest

#include "support/DeclaredFunctions.h"

// g++ 12 at -O2 under the sanitizers warns falsely that the std::function inside <regex>'s states may
// be used uninitialized (GCC bug 105562); the warning says nothing about this file.
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

#include <filesystem>
#include <fstream>
#include <map>
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
std::vector<DeclaredFunction> Declarations(const std::string& text, const std::regex& pattern) {
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
    return Declarations(ReadSourceFile("include/Tavelin.h"), declaration);
}

std::vector<DeclaredFunction> HandleWrappers() {
    static const std::regex declaration(R"(ProtocolCommandResult\s+(\w+)\s*\((ProtocolHandle\s+handle[^)]*)\))");
    return Declarations(ReadSourceFile("external/tavProtocol/src/facade/ProtocolFacadeExports.h"), declaration);
}

std::vector<ArgumentCheck> ArgumentChecks() {
    const std::string text = ReadSourceFile("src/reader/Reader_C.cpp");
    std::map<std::string, int32_t> lines;
    static const std::regex constant(R"(constexpr\s+int32_t\s+(k\w+Line)\s*=\s*(\d+)\s*;)");
    for (auto match = std::sregex_iterator(text.begin(), text.end(), constant); match != std::sregex_iterator();
         ++match) {
        lines[(*match)[1].str()] = std::stoi((*match)[2].str());
    }

    static const std::regex exported(R"(^TAV_API[^(]*\b(Tav\w*_\w+)\s*\()");
    static const std::regex check(R"(\.(Require(That)?|Fail)\s*\()");
    static const std::regex lineConstant(R"(\bk\w+Line\b)");
    std::vector<ArgumentCheck> checks;
    // Each exported function runs from its TAV_API to the next one.
    for (std::size_t at = text.find("TAV_API"); at != std::string::npos;) {
        const std::size_t next = text.find("TAV_API", at + 1);
        const std::string body = text.substr(at, next == std::string::npos ? std::string::npos : next - at);
        at = next;
        std::smatch function;
        if (!std::regex_search(body, function, exported)) {
            throw std::runtime_error("Reader_C.cpp: a TAV_API that names no exported function");
        }
        for (auto call = std::sregex_iterator(body.begin(), body.end(), check); call != std::sregex_iterator();
             ++call) {
            // The call's arguments up to its closing parenthesis: the line constant is the last one.
            const std::size_t open = static_cast<std::size_t>(call->position() + call->length() - 1);
            std::size_t close = open;
            for (int depth = 0; close < body.size(); ++close) {
                depth += body[close] == '(' ? 1 : body[close] == ')' ? -1 : 0;
                if (depth == 0) {
                    break;
                }
            }
            const std::string arguments = body.substr(open, close - open);
            std::string name;
            for (auto token = std::sregex_iterator(arguments.begin(), arguments.end(), lineConstant);
                 token != std::sregex_iterator(); ++token) {
                name = token->str();
            }
            if (!lines.contains(name)) {
                throw std::runtime_error("Reader_C.cpp: a check without a line constant in " + function[1].str());
            }
            checks.push_back({function[1].str(), name, lines.at(name)});
        }
    }
    return checks;
}

std::vector<DeclaredFunction> FacadeOperations() {
    const std::string header = ReadSourceFile("external/tavProtocol/src/facade/ProtocolFacade.h");
    const auto publicPart = header.find("public:", header.find("class ProtocolFacade "));
    const auto privatePart = header.find("private:", publicPart);
    if (publicPart == std::string::npos || privatePart == std::string::npos) {
        throw std::runtime_error("ProtocolFacade.h: no public part of class ProtocolFacade");
    }
    // A line that begins with the record's type: the static calls begin with "static".
    static const std::regex declaration(R"(\n\s*ProtocolCommandResult\s+(\w+)\s*\(([^)]*)\))");
    return Declarations(header.substr(publicPart, privatePart - publicPart), declaration);
}

}  // namespace TavTest

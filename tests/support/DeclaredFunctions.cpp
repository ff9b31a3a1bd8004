#include "support/DeclaredFunctions.h"

// g++ 12 at -O2 under the sanitizers warns falsely that the std::function inside <regex>'s states may
// be used uninitialized (GCC bug 105562); the warning says nothing about this file. Clang has no
// such warning and would warn of the unknown name.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <string_view>

namespace TavTest {

namespace {

// Every run of blanks one space, none at either end.
std::string Collapsed(const std::string& text) {
    std::string collapsed;
    for (const char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)) == 0) {
            collapsed += c;
        } else if (!collapsed.empty() && collapsed.back() != ' ') {
            collapsed += ' ';
        }
    }
    if (!collapsed.empty() && collapsed.back() == ' ') {
        collapsed.pop_back();
    }
    return collapsed;
}

[[noreturn]] void CannotRead(const std::string& declaration, const std::string& why) {
    throw std::runtime_error("cannot read the declaration \"" + Collapsed(declaration) + "\": " + why);
}

// +1 for an opening bracket, -1 for a closing one.
int Nesting(char c) { return (c == '(' || c == '[' || c == '{') ? 1 : (c == ')' || c == ']' || c == '}') ? -1 : 0; }

// Preprocessor lines blanked. A conditional one refuses: what it encloses may or may not be
// compiled, which the reader cannot tell.
std::string WithoutDirectives(std::string code) {
    static const std::regex conditional(R"(^\s*#\s*(if|ifdef|ifndef|elif|elifdef|elifndef|else|endif)\b)");
    for (std::size_t line = 0; line < code.size();) {
        std::size_t end = code.find('\n', line);
        end = end == std::string::npos ? code.size() : end;
        const std::size_t first = code.find_first_not_of(" \t", line);
        if (first < end && code[first] == '#') {
            if (std::regex_search(code.substr(first, end - first), conditional)) {
                CannotRead(code.substr(first, end - first), "a declaration under it may or may not be compiled");
            }
            // A directive continues past a line that ends in a backslash.
            while (end < code.size() && end > line && code[end - 1] == '\\') {
                const std::size_t next = code.find('\n', end + 1);
                end = next == std::string::npos ? code.size() : next;
            }
            std::replace_if(
                code.begin() + static_cast<std::ptrdiff_t>(line), code.begin() + static_cast<std::ptrdiff_t>(end),
                [](char c) { return c != '\n'; }, ' ');
        }
        line = end + 1;
    }
    return code;
}

// g++ 12 at -O3 warns falsely that std::string::replace with a one-character string copies
// between overlapping ranges (GCC bug 105329).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
#endif
// The text without its attributes: [[...]], __attribute__((...)) and alignas(...).
std::string WithoutAttributes(std::string text) {
    static const std::regex attribute(R"(\[\s*\[|\b(__attribute__|alignas)\s*\()");
    for (std::smatch match; std::regex_search(text, match, attribute);) {
        const auto at = static_cast<std::size_t>(match.position());
        text.replace(at, ClosingBracket(text, at) + 1 - at, " ");
    }
    return text;
}
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

// A type as "const char*": single spaces between words, none around punctuation.
std::string Spaced(const std::string& type) {
    static const std::regex punctuation(R"(\s*(::|[*&<>,()\[\]])\s*)");
    return std::regex_replace(Collapsed(type), punctuation, "$1");
}

// The parameters of a parameter list, each without its default value.
std::vector<std::string> Parameters(const std::string& list) {
    std::vector<std::string> parameters;
    std::string current;
    int depth = 0;
    int angles = 0;  // template arguments, counted only before a default value
    bool inDefault = false;
    for (const char c : list + ",") {
        if (c == ',' && depth == 0 && angles == 0) {
            if (const std::string parameter = Collapsed(current); !parameter.empty() && parameter != "void") {
                parameters.push_back(parameter);
            }
            current.clear();
            inDefault = false;
            continue;
        }
        depth += Nesting(c);
        if (!inDefault && depth == 0) {
            angles += c == '<' ? 1 : (c == '>' && angles > 0) ? -1 : 0;
            inDefault = c == '=' && angles == 0;
        }
        if (!inDefault) {
            current += c;
        }
    }
    return parameters;
}

// Where the parameter list of a declaration without "operator" begins: the first parenthesis
// outside brackets and template arguments that does not belong to decltype; npos when there is
// none (a variable, a type).
std::size_t ParameterList(const std::string& text) {
    int angles = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '<') {
            ++angles;
        } else if (c == '>' && angles > 0) {
            --angles;
        } else if (c == '[' || c == '{') {
            i = ClosingBracket(text, i);
        } else if (c == '(') {
            const std::string before = Collapsed(text.substr(0, i));
            if (angles == 0 && !before.ends_with("decltype")) {
                return i;
            }
            i = ClosingBracket(text, i);
        }
    }
    return std::string::npos;
}

// A collapsed declaration without its leading "template <...>"; "" for an explicit instantiation,
// which declares nothing new.
std::string WithoutTemplateHead(const std::string& text) {
    if (!text.starts_with("template") || (text.size() > 8 && text[8] != ' ' && text[8] != '<')) {
        return text;
    }
    const std::size_t open = text.find_first_not_of(' ', 8);
    if (open == std::string::npos || text[open] != '<') {
        return "";
    }
    std::size_t close = open;
    for (int angles = 0; close < text.size(); ++close) {
        angles += text[close] == '<' ? 1 : text[close] == '>' ? -1 : 0;
        if (angles == 0) {
            break;
        }
    }
    return Collapsed(text.substr(close + 1));
}

const std::set<std::string> kSpecifiers = {"static",   "virtual", "inline", "constexpr", "consteval", "constinit",
                                           "explicit", "friend",  "extern", "mutable",   "TAV_API"};

// One declaration, without its ';' or body; nothing when it declares no function.
void ReadDeclaration(const std::string& declaration, bool isPublic, std::vector<DeclaredFunction>& functions) {
    const std::string text = WithoutTemplateHead(Collapsed(WithoutAttributes(declaration)));
    static const std::regex notAFunction(R"(^(typedef|using|static_assert|namespace)\b)");
    if (text.empty() || std::regex_search(text, notAFunction)) {
        return;
    }

    DeclaredFunction function;
    std::size_t open;
    std::string head;
    std::smatch match;
    static const std::regex operatorName(R"(\boperator\b\s*(\(\s*\))?[^(]*)");
    static const std::regex trailingName(R"(((\w+\s*::\s*)*~?\w+)\s*$)");
    if (std::regex_search(text, match, operatorName)) {
        open = static_cast<std::size_t>(match.position() + match.length());
        function.name = Spaced(match.str());
        head = text.substr(0, static_cast<std::size_t>(match.position()));
    } else {
        open = ParameterList(text);
        if (open == std::string::npos) {
            return;
        }
        head = text.substr(0, open);
        if (!std::regex_search(head, match, trailingName)) {
            CannotRead(declaration, "no name before its parameter list");
        }
        function.name = Spaced(match[1].str());
        head = head.substr(0, static_cast<std::size_t>(match.position()));
    }
    if (open >= text.size() || text[open] != '(') {
        CannotRead(declaration, "no parameter list after its name");
    }
    const std::size_t close = ClosingBracket(text, open);
    const std::string tail = Collapsed(text.substr(close + 1));
    static const std::regex declaratorInParentheses(R"(^\s*[*&^])");
    if (tail.starts_with("(") || tail.starts_with("[") ||
        std::regex_search(text.substr(open + 1), declaratorInParentheses)) {
        // A pointer to a function or an array is a variable; a function returning one is not read.
        if (text.substr(open + 1, close - open - 1).find('(') != std::string::npos) {
            CannotRead(declaration, "a function that returns a pointer to a function or an array");
        }
        return;
    }
    static const std::regex typeWords(R"(^(void|bool|char|short|int|long|float|double|signed|unsigned|auto)$)");
    if (std::regex_match(function.name, typeWords)) {
        CannotRead(declaration, "a type where its name should be");
    }
    // What may follow the parameter list: qualifiers, a trailing return type, a pure or deleted
    // body, a requires clause, and a constructor's member initialisers before its body.
    static const std::regex qualifiers(
        R"(^((const|volatile|&&?|noexcept( ?\(.*\))?|throw ?\( ?\)|override|final|-> ?[^=]+?|= ?(0|default|delete)|requires .+)( |$))*(:.*)?$)");
    if (!std::regex_match(tail, qualifiers)) {
        CannotRead(declaration, "\"" + tail + "\" after its parameter list");
    }

    std::string returnType;
    std::stringstream words(head);
    for (std::string word; words >> word;) {
        if (kSpecifiers.contains(word)) {
            function.specifiers.insert(word);
        } else {
            returnType += word + " ";
        }
    }
    function.returnType = Spaced(returnType);
    static const std::regex trailingReturn(R"(-> ?(.+?) ?(\boverride\b|\bfinal\b|=|\brequires\b|$))");
    if (function.returnType == "auto" && std::regex_search(tail, match, trailingReturn)) {
        function.returnType = Spaced(match[1].str());
    }
    function.parameters = Parameters(text.substr(open + 1, close - open - 1));
    function.isPublic = isPublic;
    functions.push_back(std::move(function));
}

// True when a '{' after head opens a function's body, not a brace initialiser or a type's body:
// head has a parameter list and no '=' of its own (an operator's name aside), and in a
// constructor's member initialisers the brace follows one that is complete.
bool OpensABody(const std::string& head) {
    static const std::regex operatorName(R"(\boperator\s*[^\w\s(]*)");
    const std::string text =
        WithoutTemplateHead(Collapsed(std::regex_replace(WithoutAttributes(head), operatorName, "operator")));
    if (text.find('(') == std::string::npos) {
        return false;
    }
    int depth = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        depth += Nesting(text[i]);
        const bool comparison = (i > 0 && std::string_view("=!<>").find(text[i - 1]) != std::string_view::npos) ||
                                text.compare(i, 2, "==") == 0;
        if (depth == 0 && text[i] == '=' && !comparison) {
            return false;
        }
    }
    static const std::regex initialisers(R"(\) ?:[^:])");
    return !std::regex_search(text, initialisers) || text.ends_with(")") || text.ends_with("}");
}

// The declarations of code[begin, end), a namespace's body or a class's.
void ReadScope(const std::string& code, std::size_t begin, std::size_t end, bool classBody,
               std::vector<DeclaredFunction>& functions) {
    static const std::regex namespaceHead(R"(^\s*((inline\s+)?namespace\b|extern\s*$))");
    bool isPublic = !classBody;
    std::size_t start = begin;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = code[i];
        if (c == '(' || c == '[') {
            i = ClosingBracket(code, i);
        } else if (c == ';') {
            ReadDeclaration(code.substr(start, i - start), isPublic, functions);
            start = i + 1;
        } else if (c == ':' && classBody && code[i + 1] != ':') {
            const std::string label = Collapsed(code.substr(start, i - start));
            if (label == "public" || label == "protected" || label == "private") {
                isPublic = label == "public";
                start = i + 1;
            }
        } else if (c == '{') {
            const std::string head = code.substr(start, i - start);
            const std::size_t close = ClosingBracket(code, i);
            if (!classBody && std::regex_search(head, namespaceHead)) {
                ReadScope(code, i + 1, close, false, functions);
                start = close + 1;
            } else if (OpensABody(head)) {
                ReadDeclaration(head, isPublic, functions);
                start = close + 1;
            }
            i = close;
        }
    }
    if (!Collapsed(code.substr(start, end - start)).empty()) {
        CannotRead(code.substr(start, end - start), "no ';' ends it");
    }
}

}  // namespace

std::size_t ClosingBracket(const std::string& text, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < text.size(); ++i) {
        depth += Nesting(text[i]);
        if (depth == 0 && Nesting(text[i]) < 0) {
            return i;
        }
    }
    throw std::runtime_error("a bracket that does not close: " + Collapsed(text.substr(open, 80)));
}

std::string CodeOnly(const std::string& source) {
    std::string code = source;
    for (std::size_t i = 0; i < code.size(); ++i) {
        std::size_t end = i;
        if (code.compare(i, 2, "//") == 0) {
            end = code.find('\n', i);
        } else if (code.compare(i, 2, "/*") == 0) {
            end = code.find("*/", i + 2);
            end = end == std::string::npos ? end : end + 2;
        } else if (code[i] == '"' || code[i] == '\'') {
            for (end = i + 1; end < code.size() && code[end] != code[i]; ++end) {
                end += code[end] == '\\' ? 1 : 0;
            }
            end = end < code.size() ? end + 1 : end;
        } else {
            continue;
        }
        end = std::min(end, code.size());
        std::replace_if(
            code.begin() + static_cast<std::ptrdiff_t>(i), code.begin() + static_cast<std::ptrdiff_t>(end),
            [](char c) { return c != '\n'; }, ' ');
        i = end - 1;
    }
    return code;
}

std::vector<DeclaredFunction> ReadDeclarations(const std::string& text, bool classBody) {
    const std::string code = WithoutDirectives(CodeOnly(text));
    std::vector<DeclaredFunction> functions;
    ReadScope(code, 0, code.size(), classBody, functions);
    return functions;
}

bool IsType(const std::string& type, const std::string& name) {
    // Words in front are a macro's, an attribute's or a qualifier's ("TAV_NODISCARD", "const").
    return std::regex_match(type, std::regex("(.* )?(::)?(\\w+::)*" + name));
}

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
    std::vector<DeclaredFunction> flat;
    for (auto& function : ReadDeclarations(ReadSourceFile("include/Tavelin.h"))) {
        if (function.specifiers.contains("TAV_API")) {
            flat.push_back(std::move(function));
        }
    }
    return flat;
}

std::vector<DeclaredFunction> HandleWrappers() {
    return HandleWrappers(ReadSourceFile("external/tavProtocol/src/facade/ProtocolFacadeExports.h"));
}

std::vector<DeclaredFunction> HandleWrappers(const std::string& header) {
    static const std::regex handle(R"(^(const )?(::)?(\w+::)*ProtocolHandle( const)?( \w+)?$)");
    std::vector<DeclaredFunction> wrappers;
    for (auto& function : ReadDeclarations(header)) {
        if (IsType(function.returnType, "ProtocolCommandResult") && !function.parameters.empty() &&
            std::regex_match(function.parameters.front(), handle)) {
            wrappers.push_back(std::move(function));
        }
    }
    return wrappers;
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
            const std::string arguments = body.substr(open, ClosingBracket(body, open) - open);
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
    return FacadeOperations(ReadSourceFile("external/tavProtocol/src/facade/ProtocolFacade.h"));
}

std::vector<DeclaredFunction> FacadeOperations(const std::string& header) {
    const std::string code = CodeOnly(header);
    std::smatch match;
    if (!std::regex_search(code, match, std::regex(R"(\bclass\s+ProtocolFacade\b[^;{]*\{)"))) {
        throw std::runtime_error("no definition of class ProtocolFacade");
    }
    const auto open = static_cast<std::size_t>(match.position() + match.length() - 1);
    std::vector<DeclaredFunction> operations;
    for (auto& function : ReadDeclarations(code.substr(open + 1, ClosingBracket(code, open) - open - 1), true)) {
        if (function.isPublic && !function.specifiers.contains("static") && !function.specifiers.contains("friend") &&
            IsType(function.returnType, "ProtocolCommandResult")) {
            operations.push_back(std::move(function));
        }
    }
    return operations;
}

}  // namespace TavTest

#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "Tavelin/ElvarinException.h"
#include "files/Crc32.h"
#include "support/TempDir.h"

namespace TavTest {

// Where a failure's record points: source name, function and, where it is fixed, the line.
struct ExpectedSite {
    std::string file;
    std::string function;
    std::optional<int32_t> line;
};

// A scratch folder for configuration files, and the checks the file tests share.
class FileFixture : public testing::Test {
protected:
    std::string PathOf(const std::string& name) const { return (dir_.Path() / name).string(); }

    std::string Write(const std::string& content, const std::string& name = "file.txt") const {
        const std::string path = PathOf(name);
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    static std::string Read(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    }

    static std::string Golden(const std::string& name) {
        return Read(std::string(TAV_TEST_SOURCE_DIR) + "/files/golden/" + name);
    }

    static std::string Crc(const std::string& text) { return CalculateCrc32(text); }

    // The text with the first occurrence of from replaced; a missing one fails the test.
    static std::string Replace(std::string text, const std::string& from, const std::string& to) {
        const auto at = text.find(from);
        EXPECT_NE(at, std::string::npos) << from;
        if (at != std::string::npos) {
            text.replace(at, from.size(), to);
        }
        return text;
    }

    static std::string ReplaceAll(std::string text, const std::string& from, const std::string& to) {
        for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
            text.replace(at, from.size(), to);
        }
        return text;
    }

    static std::string LowerCase(std::string text) {
        for (char& c : text) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        return text;
    }

    // An HWG or BLE HWG text without its end marker and checksum line, as written without them.
    static std::string WithoutTrailer(const std::string& text) {
        return text.substr(0, text.find("/--- iEndOfHwgFile"));
    }

    // A message in which "{path}" stands for the path of the file.
    static std::string WithPath(const std::string& message, const std::string& path) {
        return ReplaceAll(message, "{path}", path);
    }

    // The names in the folder, to show that a failed save leaves no temporary file behind.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir_.Path())) {
            names.push_back(entry.path().filename().string());
        }
        return names;
    }

    using Site = ExpectedSite;

    // The call fails with an ElvarinException of exactly this message.
    static void ExpectFailure(const std::function<void()>& call, const std::string& message) {
        try {
            call();
            ADD_FAILURE() << "no failure; expected: " << message;
        } catch (const ElvarinException& error) {
            EXPECT_EQ(error.Message(), message);
        }
    }

    // The same, from this site.
    static void ExpectFailure(const std::function<void()>& call, const std::string& message, const Site& site) {
        try {
            call();
            ADD_FAILURE() << "no failure; expected: " << message;
        } catch (const ElvarinException& error) {
            EXPECT_EQ(error.Message(), message);
            EXPECT_EQ(error.File(), site.file) << message;
            EXPECT_EQ(error.Function(), site.function) << message;
            if (site.line) {
                EXPECT_EQ(error.Line(), *site.line) << message;
            }
        }
    }

    TempDir dir_;
};

}  // namespace TavTest

#pragma once

#include <cstddef>
#include <string_view>

namespace TavFiles {

// Walks a text held in memory line by line, as std::getline walks a stream: a line is the text up
// to the next LF without it (a CR before the LF stays), a last line without LF still counts, and
// the text "a\n" holds one line.
class TextLineCursor {
public:
    explicit TextLineCursor(std::string_view text) : text_(text) {}

    // False, leaving line untouched, when no line is left.
    bool Next(std::string_view& line) {
        if (position_ >= text_.size()) {
            return false;
        }
        const std::size_t end = text_.find('\n', position_);
        if (end == std::string_view::npos) {
            line = text_.substr(position_);
            position_ = text_.size();
        } else {
            line = text_.substr(position_, end - position_);
            position_ = end + 1;
        }
        return true;
    }

    // Where the next line starts.
    std::size_t Position() const { return position_; }

private:
    std::string_view text_;
    std::size_t position_ = 0;
};

}  // namespace TavFiles

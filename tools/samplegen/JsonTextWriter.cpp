#include "samplegen/JsonTextWriter.h"

#include <charconv>

namespace tapeloft::samples {

void JsonTextWriter::separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!hasItems_.empty()) {
        if (hasItems_.back()) out_ += ", ";
        hasItems_.back() = true;
    }
}

void JsonTextWriter::beginObject() {
    separate();
    out_ += '{';
    hasItems_.push_back(false);
}

void JsonTextWriter::endObject() {
    out_ += '}';
    hasItems_.pop_back();
}

void JsonTextWriter::beginArray() {
    separate();
    out_ += '[';
    hasItems_.push_back(false);
}

void JsonTextWriter::endArray() {
    out_ += ']';
    hasItems_.pop_back();
}

void JsonTextWriter::key(std::string_view name) {
    separate();
    quoted(name);
    out_ += ": ";
    afterKey_ = true;
}

void JsonTextWriter::number(std::int64_t value) {
    separate();
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out_.append(buffer, result.ptr);
}

void JsonTextWriter::hundredths(std::int64_t value) {
    separate();
    if (value < 0) {
        out_ += '-';
        value = -value;
    }
    char buffer[24];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value / 100);
    out_.append(buffer, result.ptr);
    out_ += '.';
    out_ += static_cast<char>('0' + value % 100 / 10);
    out_ += static_cast<char>('0' + value % 10);
}

void JsonTextWriter::boolean(bool value) {
    separate();
    out_ += value ? "true" : "false";
}

void JsonTextWriter::string(std::string_view value) {
    separate();
    quoted(value);
}

void JsonTextWriter::quoted(std::string_view value) {
    out_ += '"';
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out_ += '\\';
            out_ += c;
        } else if (u < 0x20) {
            static constexpr char hex[] = "0123456789abcdef";
            out_ += "\\u00";
            out_ += hex[u >> 4];
            out_ += hex[u & 15];
        } else {
            out_ += c;
        }
    }
    out_ += '"';
}

void JsonTextWriter::numberPair(std::string_view name, std::int64_t first, std::int64_t second) {
    key(name);
    beginArray();
    number(first);
    number(second);
    endArray();
}

} // namespace tapeloft::samples

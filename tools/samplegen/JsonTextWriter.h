#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tapeloft::samples {

// Appends JSON text in the style of the game client: ", " between items and ": " after keys, one line.
// The caller keeps the calls balanced; the writer only places separators.
class JsonTextWriter final {
public:
    explicit JsonTextWriter(std::string& out) : out_(out) {}

    void beginObject();
    void endObject();
    void beginArray();
    void endArray();
    void key(std::string_view name);

    void number(std::int64_t value);
    // value / 100 with two decimals, written without the locale ("12.50").
    void hundredths(std::int64_t value);
    void boolean(bool value);
    void string(std::string_view value);

    void number(std::string_view name, std::int64_t value) {
        key(name);
        number(value);
    }
    void hundredths(std::string_view name, std::int64_t value) {
        key(name);
        hundredths(value);
    }
    void boolean(std::string_view name, bool value) {
        key(name);
        boolean(value);
    }
    void string(std::string_view name, std::string_view value) {
        key(name);
        string(value);
    }
    void numberPair(std::string_view name, std::int64_t first, std::int64_t second);
    template <class Int> void numberArray(std::string_view name, const std::vector<Int>& values) {
        key(name);
        beginArray();
        for (const Int value : values)
            number(value);
        endArray();
    }
    void emptyObject(std::string_view name) {
        key(name);
        beginObject();
        endObject();
    }

private:
    void separate();
    void quoted(std::string_view value);

    std::string& out_;
    std::vector<bool> hasItems_; // one entry per open object or array
    bool afterKey_ = false;
};

} // namespace tapeloft::samples

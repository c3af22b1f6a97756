// The paths target: text conversions, path conversions and the folder walk over names made of any bytes.
#include "FuzzEntries.h"
#include "FuzzSupport.h"

#include "base/TextCodec.h"
#include "replay/FolderScan.h"

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace tapeloft::fuzz {

namespace {

namespace fs = std::filesystem;

// Few entries keep a run fast: every one is a file system call or three.
constexpr std::size_t kMaxEntries = 8;
constexpr std::size_t kMaxNameBytes = 24;
// Only POSIX names are any bytes; Windows ones are UTF-16 and lose trailing dots and blanks.
#ifdef _WIN32
constexpr bool kNamesAreBytes = false;
#else
constexpr bool kNamesAreBytes = true;
#endif

ScratchFolder& scratch() {
    static ScratchFolder folder("paths");
    return folder;
}

bool isLoneSurrogate(std::u16string_view text, std::size_t i) {
    const char16_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF)
        return i + 1 >= text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF;
    if (c >= 0xDC00 && c <= 0xDFFF) return i == 0 || text[i - 1] < 0xD800 || text[i - 1] > 0xDBFF;
    return false;
}

// --- Text conversions ---------------------------------------------------------------------------------

void checkTextConversions(std::string_view bytes, std::u16string_view text) {
    // Bytes come back from UTF-16 exactly when they were valid UTF-8.
    const std::u16string decoded = utf8ToUtf16(bytes);
    const std::string encoded = utf16ToUtf8(decoded);
    FUZZ_CHECK(isValidUtf8(encoded));
    FUZZ_CHECK((encoded == bytes) == isValidUtf8(bytes));
    std::u16string appended = u"x";
    appendUtf8AsUtf16(appended, bytes);
    FUZZ_CHECK(appended.substr(1) == decoded);

    // UTF-16 keeps everything through UTF-8 but lone surrogates, which become U+FFFD.
    std::u16string expected(text);
    for (std::size_t i = 0; i < text.size(); ++i)
        if (isLoneSurrogate(text, i)) expected[i] = u'\uFFFD';
    FUZZ_CHECK(utf8ToUtf16(utf16ToUtf8(text)) == expected);

    // Windows-1251: bytes but the one unassigned come back; a character comes back as itself or '?'.
    const std::u16string fromCodePage = cp1251ToUtf16(bytes);
    FUZZ_CHECK(fromCodePage.size() == bytes.size());
    if (bytes.find('\x98') == std::string_view::npos) FUZZ_CHECK(utf16ToCp1251(fromCodePage) == bytes);
    const std::u16string back = cp1251ToUtf16(utf16ToCp1251(text));
    std::size_t k = 0;
    for (std::size_t i = 0; i < text.size(); ++i, ++k) {
        FUZZ_CHECK(k < back.size());
        const bool pair = text[i] >= 0xD800 && text[i] <= 0xDBFF && !isLoneSurrogate(text, i);
        FUZZ_CHECK(back[k] == (pair ? u'?' : text[i]) || back[k] == u'?');
        if (pair) ++i;
    }
    FUZZ_CHECK(k == back.size());
}

// A path gives a text that gives the path again, and that text is a fixed point of the way back.
void checkPathRoundTrip(const fs::path& path) {
    const std::u16string text = textFromPath(path);
    FUZZ_CHECK(pathFromText(text).native() == path.native());
    FUZZ_CHECK(textFromPath(pathFromText(text)) == text);
}

// --- The folder walk ----------------------------------------------------------------------------------

// A name of 1 to 24 bytes, any but '/' and NUL; empty when the input gives no usable name.
std::string nameFrom(FuzzInput& input) {
    std::string name;
    for (const char c : input.take(1 + input.below(kMaxNameBytes)))
        if (c != '/' && c != '\0') name.push_back(c);
    if (name == "." || name == "..") name.clear();
    return name;
}

// The name ends in the replay extension, ASCII letters in any case.
bool endsWithReplayExtension(const fs::path& path) {
    const std::u16string name = textFromPath(path.filename());
    const std::u16string_view extension = u".ivlreplay";
    if (name.size() < extension.size()) return false;
    for (std::size_t i = 0; i < extension.size(); ++i) {
        char16_t c = name[name.size() - extension.size() + i];
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
        if (c != extension[i]) return false;
    }
    return true;
}

bool somethingAt(const fs::path& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

// Makes the entries the input asks for below root; returns what was made. Names the file system refuses
// (too long, taken by something else) are left out.
struct Made {
    std::vector<fs::path> folders; // root first
    std::vector<fs::path> files;
    std::vector<fs::path> links;
};

Made makeTree(FuzzInput& input, const fs::path& root) {
    Made made;
    made.folders.push_back(root);
    for (std::size_t n = 0; n < kMaxEntries && !input.empty(); ++n) {
        const fs::path& parent = made.folders[input.below(made.folders.size())];
        const std::size_t kind = input.below(3);
        const std::string name = nameFrom(input);
        if (name.empty()) continue;
        const fs::path path = parent / name;
        checkPathRoundTrip(path);
        if (somethingAt(path)) continue;
        std::error_code ec;
        if (kind == 0) {
            std::ofstream(path, std::ios::binary) << "x";
            if (fs::is_regular_file(fs::symlink_status(path, ec))) made.files.push_back(path);
        } else if (kind == 1) {
            if (fs::create_directory(path, ec) && !ec) made.folders.push_back(path);
        } else {
            // To an entry made before or to a name that may never exist.
            const std::size_t pick = input.below(made.files.size() + made.folders.size() + 1);
            const fs::path target = pick < made.files.size() ? made.files[pick]
                                    : pick - made.files.size() < made.folders.size()
                                        ? made.folders[pick - made.files.size()]
                                        : parent / "missing";
            fs::create_symlink(target, path, ec);
            if (!ec) made.links.push_back(path);
        }
    }
    return made;
}

void checkWalk(const fs::path& root, const Made& made) {
    // What the walk must find: the files, and the links that lead to a regular file in the end.
    std::map<fs::path::string_type, int> expected;
    for (const fs::path& file : made.files)
        expected[file.native()] = 0;
    for (const fs::path& link : made.links) {
        std::error_code ec;
        if (fs::is_regular_file(fs::status(link, ec))) expected[link.native()] = 0;
    }

    const std::u16string rootText = textFromPath(root);
    std::map<fs::path::string_type, int> found = expected;
    std::vector<std::u16string> texts;
    walkReplayFolder(rootText, u"*", u"*", [&](const std::u16string& text) {
        texts.push_back(text);
        const fs::path path = pathFromText(text);
        FUZZ_CHECK(textFromPath(path) == text);
        const auto it = found.find(path.native());
        FUZZ_CHECK(it != found.end());
        ++it->second;
    });
    for (const auto& [path, count] : found)
        FUZZ_CHECK(count == 1);
    FUZZ_CHECK(countFolderFiles(rootText) == static_cast<std::int32_t>(expected.size()));
    // A root given with its separator already at the end walks the same.
    std::vector<std::u16string> again;
    walkReplayFolder(rootText + std::u16string(nativeSeparator()), u"*", u"*",
                     [&](const std::u16string& text) { again.push_back(text); });
    FUZZ_CHECK(again == texts);

    // The replay filter lets through the names that end in the extension, in any letter case.
    std::set<fs::path::string_type> replays;
    walkReplayFolder(rootText, u"*", kReplayExtension, [&](const std::u16string& text) {
        FUZZ_CHECK(replays.insert(pathFromText(text).native()).second);
    });
    for (const auto& [path, count] : expected)
        FUZZ_CHECK(replays.contains(path) == endsWithReplayExtension(fs::path(path)));
    FUZZ_CHECK(replays.size() <= expected.size());
}

} // namespace

void fuzzPaths(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(asBytes(data, size));
    const std::string_view bytes = input.take(input.byte());
    const std::u16string text = input.text(256);
    checkTextConversions(bytes, text);
    checkPathRoundTrip(pathFromText(text));
    if constexpr (kNamesAreBytes) {
        checkPathRoundTrip(fs::path(std::string(bytes)));

        // A fresh root for every run, itself named from the input when the name can be made.
        static unsigned runs = 0;
        const fs::path plainRoot = scratch().path() / ("run-" + std::to_string(++runs));
        std::error_code ec;
        FUZZ_CHECK(fs::create_directory(plainRoot, ec));
        fs::path root = plainRoot;
        if (const std::string name = nameFrom(input);
            !name.empty() && fs::create_directory(plainRoot / name, ec))
            root = plainRoot / name;
        checkPathRoundTrip(root);

        checkWalk(root, makeTree(input, root));
        fs::remove_all(plainRoot, ec);
        FUZZ_CHECK(!ec);
    }
}

} // namespace tapeloft::fuzz

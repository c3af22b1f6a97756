#include "base/PrefFile.h"

#include "base/AtomicFile.h"
#include "base/TextCodec.h"

#include <fstream>
#include <system_error>

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <climits>
#include <windows.h>
#endif

namespace tapeloft {

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

std::u16string_view trimLeft(std::u16string_view s) {
    while (!s.empty() && isBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::u16string_view trimRight(std::u16string_view s) {
    while (!s.empty() && isBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

bool hasLineBreak(std::u16string_view s) {
    return s.find_first_of(u"\r\n") != std::u16string_view::npos;
}

// Half of a surrogate pair has no UTF-8 form: it would be written as U+FFFD and read back as that.
bool hasLoneSurrogate(std::u16string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF)
            ++i;
        else if (c >= 0xD800 && c <= 0xDFFF)
            return true;
    }
    return false;
}

#ifdef _WIN32
std::u16string ansiToUtf16(std::string_view bytes) {
    if (bytes.empty()) return {};
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) return cp1251ToUtf16(bytes);
    const int size = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
    if (n <= 0) return cp1251ToUtf16(bytes);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), n);
    return std::u16string(wide.begin(), wide.end());
}
#endif

} // namespace

std::u16string_view PrefLine::value() const {
    return trimRight(text);
}

PrefFile PrefFile::fromBytes(std::string_view bytes) {
    if (bytes.substr(0, kBom.size()) == kBom) return parse(utf8ToUtf16(bytes.substr(kBom.size())));
#ifdef _WIN32
    return parse(ansiToUtf16(bytes));
#else
    return parse(isValidUtf8(bytes) ? utf8ToUtf16(bytes) : cp1251ToUtf16(bytes));
#endif
}

PrefFile PrefFile::parse(std::u16string_view text) {
    PrefFile prefs;
    std::vector<PrefLine>* current = &prefs.leading_;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find_first_of(u"\r\n", pos);
        if (end == std::u16string_view::npos) end = text.size();
        std::u16string_view line = trimLeft(text.substr(pos, end - pos));
        pos = end;
        if (pos < text.size())
            pos += (text[pos] == u'\r' && pos + 1 < text.size() && text[pos + 1] == u'\n') ? 2 : 1;
        if (line.empty()) continue;

        if (line.front() == u'[') {
            const std::size_t close = line.find(u']');
            const std::u16string_view name =
                close == std::u16string_view::npos ? line.substr(1) : line.substr(1, close - 1);
            prefs.groups_.push_back({std::u16string(name), {}});
            current = &prefs.groups_.back().lines;
        } else if (line.front() == u';') {
            std::u16string_view comment = line.substr(1);
            if (!comment.empty() && comment.front() == u' ') comment.remove_prefix(1);
            current->push_back({PrefLine::Kind::comment, {}, std::u16string(comment)});
        } else if (const std::size_t eq = line.find(u'='); eq != std::u16string_view::npos) {
            current->push_back({PrefLine::Kind::key, std::u16string(trimRight(line.substr(0, eq))),
                                std::u16string(trimLeft(line.substr(eq + 1)))});
        } else {
            current->push_back({PrefLine::Kind::other, {}, std::u16string(line)});
        }
    }
    return prefs;
}

std::string PrefFile::toBytes() const {
    std::u16string out;
    const auto writeLines = [&out](const std::vector<PrefLine>& lines) {
        for (const PrefLine& line : lines) {
            switch (line.kind) {
            case PrefLine::Kind::key:
                out += line.key;
                out += u" = ";
                out += line.text;
                break;
            case PrefLine::Kind::comment:
                out += u"; ";
                out += line.text;
                break;
            case PrefLine::Kind::other:
                out += line.text;
                break;
            }
            out += u"\r\n";
        }
    };
    out += u"\r\n";
    writeLines(leading_);
    for (const PrefGroup& group : groups_) {
        out += u'[';
        out += group.name;
        out += u"]\r\n";
        writeLines(group.lines);
    }
    std::string bytes(kBom);
    bytes += utf16ToUtf8(out);
    return bytes;
}

std::optional<std::u16string_view> PrefFile::find(std::u16string_view group, std::u16string_view key) const {
    for (const PrefGroup& g : groups_) {
        if (!equalsIgnoreCase(g.name, group)) continue;
        for (const PrefLine& line : g.lines)
            if (line.kind == PrefLine::Kind::key && equalsIgnoreCase(line.key, key)) return line.value();
    }
    return std::nullopt;
}

std::u16string PrefFile::text(std::u16string_view group, std::u16string_view key,
                              std::u16string_view fallback) const {
    return std::u16string(find(group, key).value_or(fallback));
}

std::int32_t PrefFile::integer(std::u16string_view group, std::u16string_view key,
                               std::int32_t fallback) const {
    const auto value = find(group, key);
    return value ? leadingInt32(*value) : fallback;
}

PrefLine* PrefFile::findLine(std::u16string_view group, std::u16string_view key) {
    for (PrefGroup& g : groups_) {
        if (!equalsIgnoreCase(g.name, group)) continue;
        for (PrefLine& line : g.lines)
            if (line.kind == PrefLine::Kind::key && equalsIgnoreCase(line.key, key)) return &line;
    }
    return nullptr;
}

bool PrefFile::canStore(std::u16string_view group, std::u16string_view key, std::u16string_view value) {
    if (hasLineBreak(group) || hasLineBreak(key) || hasLineBreak(value)) return false;
    if (hasLoneSurrogate(group) || hasLoneSurrogate(key) || hasLoneSurrogate(value)) return false;
    if (group.find(u']') != std::u16string_view::npos) return false;
    if (key.find(u'=') != std::u16string_view::npos) return false;
    if (!key.empty() &&
        (isBlank(key.front()) || isBlank(key.back()) || key.front() == u'[' || key.front() == u';'))
        return false;
    return true;
}

bool PrefFile::set(std::u16string_view group, std::u16string_view key, std::u16string_view value) {
    if (!canStore(group, key, value)) return false;
    if (PrefLine* line = findLine(group, key)) {
        line->text = trimLeft(value);
        return true;
    }
    PrefLine added{PrefLine::Kind::key, std::u16string(key), std::u16string(trimLeft(value))};
    for (PrefGroup& g : groups_) {
        if (!equalsIgnoreCase(g.name, group)) continue;
        // New keys go after the group's last key, ahead of trailing comments that usually introduce the
        // next group.
        auto at = g.lines.end();
        for (auto it = g.lines.begin(); it != g.lines.end(); ++it)
            if (it->kind != PrefLine::Kind::comment) at = it + 1;
        g.lines.insert(at, std::move(added));
        return true;
    }
    groups_.push_back({std::u16string(group), {std::move(added)}});
    return true;
}

bool PrefFile::setInteger(std::u16string_view group, std::u16string_view key, std::int32_t value) {
    return set(group, key, decimal(value));
}

PrefLoad loadPrefFile(const std::filesystem::path& file) {
    std::error_code ec;
    const auto status = std::filesystem::status(file, ec);
    if (status.type() == std::filesystem::file_type::not_found) return {PrefLoadStatus::missing, {}};
    if (status.type() != std::filesystem::file_type::regular) return {PrefLoadStatus::unreadable, {}};

    std::ifstream in(file, std::ios::binary);
    if (!in) return {PrefLoadStatus::unreadable, {}};
    std::string bytes;
    char buffer[16384];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        bytes.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (!in) break;
    }
    if (in.bad()) return {PrefLoadStatus::unreadable, {}};
    return {PrefLoadStatus::loaded, PrefFile::fromBytes(bytes)};
}

bool savePrefFile(const PrefFile& prefs, const std::filesystem::path& file) {
    return writeFileAtomically(file, prefs.toBytes());
}

} // namespace tapeloft

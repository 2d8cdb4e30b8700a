// Reading the registry editor's export format into a RegistryImage.
#include "registry_file.h"

#include "common/text.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <vector>

namespace cfgmigrate::platform {
namespace {

constexpr std::string_view kHeaderCurrent = "Windows Registry Editor Version 5.00";
constexpr std::string_view kHeaderOld = "REGEDIT4";
constexpr std::string_view kLocalMachineHive = "hkey_local_machine";
constexpr const char *kDefaultRegistryFile = "/etc/tarrowgate/registry.reg";

void AppendUtf8(std::string &out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// UTF-16 little-endian to UTF-8, the byte form the rest of the program
// works in. A stray surrogate becomes U+FFFD; an odd last byte is dropped.
std::string DecodeUtf16Le(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() / 2);
    auto unit_at = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i]) |
                                          (static_cast<unsigned char>(bytes[i + 1]) << 8));
    };
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        std::uint32_t unit = unit_at(i);
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
            std::uint32_t low = unit_at(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
    }
    return out;
}

std::string TextOf(std::string_view bytes) {
    if (bytes.substr(0, 2) == "\xFF\xFE") return DecodeUtf16Le(bytes.substr(2));
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    return std::string(bytes);
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.push_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    return lines;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// A quoted text starting at text[pos]; "\\" and "\"" are escapes, any
// other backslash is kept as it stands. False when the closing quote is
// missing. On success pos is just past the closing quote.
bool ReadQuoted(std::string_view text, std::size_t &pos, std::string &out) {
    out.clear();
    for (std::size_t i = pos + 1; i < text.size(); ++i) {
        char c = text[i];
        if (c == '"') {
            pos = i + 1;
            return true;
        }
        if (c == '\\' && i + 1 < text.size() && (text[i + 1] == '\\' || text[i + 1] == '"')) {
            out += text[++i];
            continue;
        }
        out += c;
    }
    return false;
}

// The key path of a section header's inside, or nothing for sections that
// delete keys or lie under another hive.
std::optional<std::string> SectionKey(std::string_view inside) {
    if (inside.empty() || inside.front() == '-') return std::nullopt;
    std::size_t slash = inside.find('\\');
    if (ascii::ToLower(inside.substr(0, slash)) != kLocalMachineHive) return std::nullopt;
    std::string_view path = slash == std::string_view::npos ? "" : inside.substr(slash + 1);
    while (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    return ascii::ToLower(path);
}

struct ValueLine {
    std::string name; // lower case; "" is the default value
    bool removes = false;
    bool continues = false; // binary data goes on in the next line
    RegistryValue value;
};

// `"Name"=data` or `@=data`, where data is a quoted string, "-" (remove the
// value) or typed data such as dword: and hex:.
std::optional<ValueLine> ParseValueLine(std::string_view line) {
    ValueLine parsed;
    std::size_t pos = 1;
    if (line.front() == '"') {
        pos = 0;
        if (!ReadQuoted(line, pos, parsed.name)) return std::nullopt;
        parsed.name = ascii::ToLower(parsed.name);
    } else if (line.front() != '@') {
        return std::nullopt;
    }
    std::string_view rest = TrimBlanks(line.substr(pos));
    if (rest.empty() || rest.front() != '=') return std::nullopt;
    std::string_view data = TrimBlanks(rest.substr(1));
    if (data.empty()) return std::nullopt;
    if (data.front() == '"') {
        std::size_t end = 0;
        if (!ReadQuoted(data, end, parsed.value.text)) return std::nullopt;
        if (!TrimBlanks(data.substr(end)).empty()) return std::nullopt;
        parsed.value.is_string = true;
    } else if (data == "-") {
        parsed.removes = true;
    } else {
        parsed.value.text = std::string(data);
        parsed.continues = data.back() == '\\';
    }
    return parsed;
}

bool IsHeader(std::string_view line) {
    line = TrimBlanks(line);
    return line == kHeaderCurrent || line == kHeaderOld;
}

} // namespace

bool RegistryImage::HasKey(const std::string &lower_path) const {
    if (!valid) return false;
    if (lower_path.empty() || keys.count(lower_path)) return true;
    // A key also exists when only its subkeys have sections of their own.
    std::string prefix = lower_path + "\\";
    auto next = keys.lower_bound(prefix);
    return next != keys.end() && next->first.compare(0, prefix.size(), prefix) == 0;
}

const RegistryValue *RegistryImage::Find(const std::string &lower_path,
                                         const std::string &lower_name) const {
    auto key = keys.find(lower_path);
    if (key == keys.end()) return nullptr;
    auto value = key->second.find(lower_name);
    return value == key->second.end() ? nullptr : &value->second;
}

RegistryImage ParseRegistryFile(std::string_view bytes) {
    RegistryImage image;
    std::string text = TextOf(bytes);
    std::vector<std::string_view> lines = SplitLines(text);
    if (lines.empty() || !IsHeader(lines[0])) return image;
    image.valid = true;

    std::map<std::string, RegistryValue> *current = nullptr;
    bool continuing = false;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string_view line = TrimBlanks(lines[i]);
        if (continuing) {
            continuing = !line.empty() && line.back() == '\\';
            continue;
        }
        if (line.empty() || line.front() == ';') continue;
        if (line.front() == '[') {
            std::optional<std::string> key;
            if (line.back() == ']') key = SectionKey(line.substr(1, line.size() - 2));
            // A section given twice adds to the same key.
            current = key ? &image.keys[*key] : nullptr;
            continue;
        }
        std::optional<ValueLine> value = ParseValueLine(line);
        if (!value) continue;
        continuing = value->continues;
        if (!current) continue;
        if (value->removes)
            current->erase(value->name);
        else
            (*current)[value->name] = std::move(value->value);
    }
    return image;
}

std::string RegistryFilePath() {
    const char *path = std::getenv("CFGMIGRATE_REGISTRY");
    return path && *path ? path : kDefaultRegistryFile;
}

} // namespace cfgmigrate::platform

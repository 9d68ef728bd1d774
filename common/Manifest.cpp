#include "Manifest.h"

#include <algorithm>

#include "Paths.h"

namespace {

constexpr size_t kHexDigits = 64;
// Longer than any line of a real file name (255 bytes, each escaped); a
// longer line is not a manifest line and is not kept in memory.
constexpr size_t kMaxLine = 1024;

bool NeedsEscape(char c) { return c == '\\' || c == '\n' || c == '\r'; }

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::optional<std::string> Unescaped(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] != '\\') {
            out += name[i];
            continue;
        }
        if (++i == name.size()) return std::nullopt;
        switch (name[i]) {
        case '\\': out += '\\'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        default: return std::nullopt;
        }
    }
    return out;
}

}  // namespace

std::string ManifestLine(const ManifestEntry& entry)
{
    const bool escaped = std::any_of(entry.name.begin(), entry.name.end(), NeedsEscape);
    std::string line = escaped ? "\\" : "";
    line += entry.hash;
    line += "  ";
    if (!escaped) return line + entry.name;
    for (const char c : entry.name) {
        switch (c) {
        case '\\': line += "\\\\"; break;
        case '\n': line += "\\n"; break;
        case '\r': line += "\\r"; break;
        default: line += c;
        }
    }
    return line;
}

std::optional<ManifestEntry> ParseManifestLine(std::string_view line)
{
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    const bool escaped = !line.empty() && line.front() == '\\';
    if (escaped) line.remove_prefix(1);
    // The digits, a space, a space or "*", at least one character of name.
    if (line.size() < kHexDigits + 3) return std::nullopt;
    const std::string_view digits = line.substr(0, kHexDigits);
    if (!std::all_of(digits.begin(), digits.end(), IsHexDigit)) return std::nullopt;
    if (line[kHexDigits] != ' ' || (line[kHexDigits + 1] != ' ' && line[kHexDigits + 1] != '*')) return std::nullopt;
    const std::string_view name = line.substr(kHexDigits + 2);
    if (name.find('\0') != std::string_view::npos) return std::nullopt;

    ManifestEntry entry;
    entry.hash.resize(kHexDigits);
    std::transform(digits.begin(), digits.end(), entry.hash.begin(), Lower);
    if (!escaped) {
        entry.name = name;
        return entry;
    }
    auto unescaped = Unescaped(name);
    if (!unescaped) return std::nullopt;
    entry.name = std::move(*unescaped);
    return entry;
}

IoStatus WriteManifest(const std::string& path, const std::vector<ManifestEntry>& entries)
{
    std::string text;
    for (const ManifestEntry& e : entries) text += ManifestLine(e) + "\n";
    BinaryWriter file;
    if (IoStatus s = file.Create(path); !s) return s;
    IoStatus written = file.Write(text);
    IoStatus closed = file.Close();
    if (written && closed) return written;
    // A manifest cut short (a full disk) would fail pieces that are sound.
    IgnoreResult(DeleteFile(path));
    return written ? std::move(closed) : std::move(written);
}

void Manifest::AddLine(std::string_view line)
{
    const std::string_view rest = line.substr(std::min(line.find_first_not_of(" \t"), line.size()));
    if (rest.empty() || rest == "\r" || rest.front() == '#') return;
    auto entry = ParseManifestLine(line);
    if (!entry || byName_.contains(entry->name)) {
        ++skipped_;
        return;
    }
    byName_.emplace(entry->name, entries_.size());
    entries_.push_back(std::move(*entry));
}

IoStatus Manifest::Read(const std::string& path, Manifest& manifest)
{
    manifest = Manifest();
    BinaryReader file;
    if (IoStatus s = file.Open(path); !s) return s;
    std::string chunk(64 * 1024, '\0');
    std::string line;
    bool overlong = false;
    for (int64_t left = file.Length(); left > 0;) {
        const size_t size = static_cast<size_t>(std::min<int64_t>(left, static_cast<int64_t>(chunk.size())));
        if (IoStatus s = file.Read(std::span<char>(chunk.data(), size)); !s) return s;
        left -= static_cast<int64_t>(size);
        for (size_t pos = 0; pos < size;) {
            const size_t lf = std::min(chunk.find('\n', pos), size);
            if (!overlong) line.append(chunk, pos, lf - pos);
            if (line.size() > kMaxLine) {
                overlong = true;
                line.clear();
            }
            if (lf == size) break;  // the line goes on in the next chunk
            if (overlong) ++manifest.skipped_;
            else manifest.AddLine(line);
            line.clear();
            overlong = false;
            pos = lf + 1;
        }
    }
    if (overlong) ++manifest.skipped_;
    else if (!line.empty()) manifest.AddLine(line);  // a last line without its LF
    return IoStatus::Success();
}

std::optional<std::string> Manifest::HashOf(std::string_view name) const
{
    const auto it = byName_.find(std::string(name));
    if (it == byName_.end()) return std::nullopt;
    return entries_[it->second].hash;
}

std::string ManifestPathFor(const std::string& joinInfoPath)
{
    const std::string name = FileNameOf(joinInfoPath);
    const size_t dot = name.rfind('.');
    const std::string stem = dot == std::string::npos ? name : name.substr(0, dot);
    return joinInfoPath.substr(0, joinInfoPath.size() - name.size()) + stem + ".sha256";
}

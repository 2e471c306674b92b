#include "NameRules.h"

#include <charconv>
#include <clocale>
#include <cstdint>
#include <cstdlib>
#include <cwchar>
#include <iterator>

namespace tarvolin {

namespace {

bool IsDirectoryDelimiter(char byte, PathSyntax syntax) {
    if (syntax == PathSyntax::Windows)
        return byte == '\\' || byte == ':';
    return byte == '/';
}

// Calls `visit` with the index of every byte that stands as a character by itself. The walk
// starts at the first byte, because only from there can the lead bytes of a double-byte code
// page be told from the bytes that follow them.
template <typename Visit>
void ForEachSingleByte(std::string_view path, const PathRules& rules, Visit visit) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (rules.leadBytes[byte] && i + 1 < path.size()) {
            ++i; // the trail byte belongs to this character, whatever its value
            continue;
        }
        visit(i);
    }
}

// Index of the last byte that stands as a character by itself and satisfies `matches`;
// npos when there is none. Without lead bytes every byte does, and the search goes backwards.
template <typename Predicate>
std::size_t FindLastSingleByte(std::string_view path, const PathRules& rules, Predicate matches) {
    if (rules.leadBytes.none()) {
        for (std::size_t i = path.size(); i > 0; --i)
            if (matches(path[i - 1]))
                return i - 1;
        return std::string_view::npos;
    }
    std::size_t found = std::string_view::npos;
    ForEachSingleByte(path, rules, [&](std::size_t i) {
        if (matches(path[i]))
            found = i;
    });
    return found;
}

// Without lead bytes, the library's backward search: a journaled run asks this twice a file.
std::size_t FindLastDirectoryDelimiter(std::string_view path, const PathRules& rules) {
    if (rules.leadBytes.none())
        return rules.syntax == PathSyntax::Windows ? path.find_last_of("\\:") : path.rfind('/');
    return FindLastSingleByte(path, rules,
                              [&](char byte) { return IsDirectoryDelimiter(byte, rules.syntax); });
}

// The extension dot, if the last dot-or-delimiter is a dot.
std::size_t FindExtensionDot(std::string_view path, const PathRules& rules) {
    const std::size_t last = FindLastSingleByte(path, rules, [&](char byte) {
        return byte == '.' || IsDirectoryDelimiter(byte, rules.syntax);
    });
    if (last != std::string_view::npos && path[last] == '.')
        return last;
    return std::string_view::npos;
}

// Where a path's name begins and where its extension does, found in one walk: a batch run and
// its preview compose a name for every listed file, 100 000 of them on each keystroke.
struct PathSplit {
    std::size_t nameStart = 0;
    std::size_t extensionDot = std::string_view::npos;
};

// Without lead bytes every byte stands for itself, and the library's backward searches find
// the same two places as the walk.
PathSplit SplitWithoutLeadBytes(std::string_view path, PathSyntax syntax) {
    const std::size_t delimiter =
        syntax == PathSyntax::Windows ? path.find_last_of("\\:") : path.rfind('/');
    PathSplit split;
    split.nameStart = delimiter == std::string_view::npos ? 0 : delimiter + 1;
    const std::size_t dot = path.rfind('.');
    if (dot != std::string_view::npos && dot >= split.nameStart)
        split.extensionDot = dot;
    return split;
}

PathSplit SplitPath(std::string_view path, const PathRules& rules) {
    if (rules.leadBytes.none())
        return SplitWithoutLeadBytes(path, rules.syntax);
    std::size_t delimiter = std::string_view::npos;
    std::size_t lastDotOrDelimiter = std::string_view::npos;
    ForEachSingleByte(path, rules, [&](std::size_t i) {
        if (IsDirectoryDelimiter(path[i], rules.syntax))
            delimiter = lastDotOrDelimiter = i;
        else if (path[i] == '.')
            lastDotOrDelimiter = i;
    });
    PathSplit split;
    split.nameStart = delimiter == std::string_view::npos ? 0 : delimiter + 1;
    if (lastDotOrDelimiter != std::string_view::npos && path[lastDotOrDelimiter] == '.')
        split.extensionDot = lastDotOrDelimiter;
    return split;
}

// The directory, the base name and `suffix`, or the old name without its extension when the
// base name is empty; then the extension by ApplyExtensionRule. Built in one string.
std::string ComposeName(std::string_view path, std::string_view suffix,
                        const RenameOptions& options, const PathRules& rules) {
    const PathSplit split = SplitPath(path, rules);
    const std::string_view oldExtension = split.extensionDot == std::string_view::npos
                                              ? std::string_view()
                                              : path.substr(split.extensionDot);
    std::string name;
    name.reserve(path.size() + options.baseName.size() + suffix.size() + options.extension.size() +
                 1);
    if (options.baseName.empty())
        name.append(path.substr(0, split.extensionDot));
    else
        name.append(path.substr(0, split.nameStart)).append(options.baseName).append(suffix);
    // Appended, then returned by name: returning what append gives would copy the string.
    if (!options.replaceExtension)
        name.append(oldExtension);
    else if (!options.extension.empty())
        name.append(".").append(options.extension);
    return name;
}

} // namespace

LeadByteTable LeadBytesOfCurrentLocale() {
    LeadByteTable table;
    // UTF-8 and the single-byte encodings never put a delimiter byte inside a character;
    // only the double-byte code pages do.
    if (MB_CUR_MAX != 2)
        return table;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        std::mbstate_t state{};
        const char text = static_cast<char>(byte);
        if (std::mbrlen(&text, 1, &state) == static_cast<std::size_t>(-2))
            table.set(static_cast<std::size_t>(byte));
    }
    return table;
}

const PathRules& NativePathRules() {
    // The program's own paths are UTF-8 whatever the locale: the window hands them over
    // that way, and a lead-byte walk over UTF-8 under a double-byte locale would swallow the
    // separator after a CJK character and move the file into the parent folder.
    static const PathRules rules{NativePathSyntax(), LeadByteTable{}};
    return rules;
}

std::string_view DirectoryView(std::string_view path, const PathRules& rules) {
    const std::size_t delimiter = FindLastDirectoryDelimiter(path, rules);
    if (delimiter == std::string_view::npos)
        return {};
    return path.substr(0, delimiter + 1);
}

std::string ExtractDirectory(std::string_view path, const PathRules& rules) {
    return std::string(DirectoryView(path, rules));
}

std::string ExtractExtension(std::string_view path, const PathRules& rules) {
    const std::size_t dot = FindExtensionDot(path, rules);
    if (dot == std::string_view::npos)
        return {};
    return std::string(path.substr(dot));
}

std::string StripExtension(std::string_view path, const PathRules& rules) {
    const std::size_t dot = FindExtensionDot(path, rules);
    return std::string(path.substr(0, dot));
}

std::string ExtractFileTitle(std::string_view path, const PathRules& rules) {
    const std::size_t delimiter = FindLastDirectoryDelimiter(path, rules);
    const std::size_t nameStart = delimiter == std::string_view::npos ? 0 : delimiter + 1;
    return StripExtension(path.substr(nameStart), rules);
}

std::string ApplyExtensionRule(std::string_view stem, std::string_view oldExtension,
                               const RenameOptions& options) {
    std::string result(stem);
    if (!options.replaceExtension)
        result.append(oldExtension);
    else if (!options.extension.empty())
        result.append(".").append(options.extension);
    return result;
}

std::string ComposeBatchName(std::string_view path, int position, const RenameOptions& options,
                             const PathRules& rules) {
    // A pasted start number is not clamped, so the sum is taken wide enough never to wrap.
    const std::int64_t number = std::int64_t{options.startNumber} + position;
    char suffix[24] = {'_'};
    const char* end = std::to_chars(suffix + 1, std::end(suffix), number).ptr;
    return ComposeName(path, std::string_view(suffix, end), options, rules);
}

std::string ComposeSingleName(std::string_view path, const RenameOptions& options,
                              const PathRules& rules) {
    return ComposeName(path, {}, options, rules);
}

} // namespace tarvolin

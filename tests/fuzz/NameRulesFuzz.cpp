// Random paths, lead-byte tables and options through the name rules: nothing may crash,
// and the properties every caller relies on must hold.

#include "NameRules.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using namespace tarvolin;

void Require(bool condition) {
    if (!condition)
        std::abort();
}

// Takes the next field up to a NUL byte (or the end) off the front of `input`.
std::string TakeField(std::string_view& input) {
    const std::size_t end = input.find('\0');
    std::string field(input.substr(0, end));
    input.remove_prefix(end == std::string_view::npos ? input.size() : end + 1);
    return field;
}

LeadByteTable TakeLeadBytes(std::string_view& input, std::uint8_t choice) {
    LeadByteTable table;
    if (choice % 3 == 1) { // the Shift-JIS lead ranges
        for (int byte = 0x81; byte <= 0x9F; ++byte)
            table.set(static_cast<std::size_t>(byte));
        for (int byte = 0xE0; byte <= 0xFC; ++byte)
            table.set(static_cast<std::size_t>(byte));
    } else if (choice % 3 == 2) { // any table the input spells
        for (unsigned char byte : TakeField(input))
            table.set(byte);
    }
    return table;
}

void CheckSplitting(const std::string& path, const PathRules& rules) {
    const std::string directory = ExtractDirectory(path, rules);
    const std::string title = ExtractFileTitle(path, rules);
    const std::string extension = ExtractExtension(path, rules);
    Require(directory + title + extension == path);
    Require(StripExtension(path, rules) + extension == path);
    Require(extension.empty() || extension.front() == '.');
}

void CheckComposing(const std::string& path, const RenameOptions& options, int position,
                    const PathRules& rules) {
    const std::string directory = ExtractDirectory(path, rules);
    const std::string batch = ComposeBatchName(path, position, options, rules);
    const std::string single = ComposeSingleName(path, options, rules);
    Require(batch.starts_with(directory));
    Require(single.starts_with(directory));

    RenameOptions otherStart = options;
    otherStart.startNumber = ~options.startNumber;
    Require(ComposeSingleName(path, otherStart, rules) == single);
    if (options.baseName.empty() && !options.replaceExtension)
        Require(batch == path && single == path);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 8)
        return 0;
    const std::uint8_t flags = data[0];
    std::string_view input(reinterpret_cast<const char*>(data + 8), size - 8);

    PathRules rules;
    rules.syntax = (flags & 1) ? PathSyntax::Windows : PathSyntax::Posix;
    rules.leadBytes = TakeLeadBytes(input, data[1]);

    RenameOptions options;
    options.replaceExtension = (flags & 2) != 0;
    options.startNumber = static_cast<int>(static_cast<std::uint32_t>(data[2]) << 24 |
                                           static_cast<std::uint32_t>(data[3]) << 16 |
                                           static_cast<std::uint32_t>(data[4]) << 8 | data[5]);
    const int position = data[6] << 8 | data[7];
    const std::string path = TakeField(input);
    options.baseName = TakeField(input);
    options.extension = TakeField(input);

    CheckSplitting(path, rules);
    CheckComposing(path, options, position, rules);
    return 0;
}

#include "NameFieldCheck.h"

#include <string_view>

namespace tarvolin {

namespace {

// Windows takes '/' as a separator as well as its own '\', and ':' names a drive or a stream.
std::string_view SeparatorsOf(PathSyntax syntax) {
    return syntax == PathSyntax::Windows ? "/\\:" : "/";
}

std::optional<std::string> FaultOf(std::string_view name, PathSyntax syntax) {
    if (name == "." || name == "..")
        return "A name cannot be \"" + std::string(name) + "\".";
    const std::size_t at = name.find_first_of(SeparatorsOf(syntax));
    if (at != std::string_view::npos)
        return "A name cannot hold \"" + std::string(1, name[at]) + "\".";
    return std::nullopt;
}

} // namespace

std::optional<std::string> FindNameFieldFault(const RenameOptions& options, PathSyntax syntax) {
    if (std::optional<std::string> fault = FaultOf(options.baseName, syntax))
        return fault;
    if (options.replaceExtension)
        return FaultOf(options.extension, syntax);
    return std::nullopt;
}

} // namespace tarvolin

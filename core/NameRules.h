#pragma once

// Pure string rules that split a path and compose a file's new path. They touch no file
// and never fail: a name the file system refuses surfaces only when the rename is tried.

#include "FileOps.h"
#include "RenameOptions.h"

#include <bitset>
#include <string>
#include <string_view>

namespace tarvolin {

// Bytes that start a two-byte character in a double-byte code page. A delimiter byte that
// is the second byte of such a character belongs to it and splits nothing.
using LeadByteTable = std::bitset<256>;

// The lead bytes of the current C locale's multibyte encoding, where that encoding is a
// double-byte one; empty for UTF-8 and single-byte encodings, whose delimiter bytes are
// never part of another character.
LeadByteTable LeadBytesOfCurrentLocale();

struct PathRules {
    PathSyntax syntax = PathSyntax::Posix;
    LeadByteTable leadBytes;
};

// The platform's syntax for the program's own paths, which are UTF-8: no lead bytes. Input
// explicitly in a double-byte code page takes rules with LeadBytesOfCurrentLocale().
const PathRules& NativePathRules();

std::string ExtractDirectory(std::string_view path, const PathRules& rules = NativePathRules());
// ExtractDirectory's part of `path`, without a copy.
std::string_view DirectoryView(std::string_view path, const PathRules& rules = NativePathRules());
std::string ExtractExtension(std::string_view path, const PathRules& rules = NativePathRules());
std::string StripExtension(std::string_view path, const PathRules& rules = NativePathRules());
std::string ExtractFileTitle(std::string_view path, const PathRules& rules = NativePathRules());

std::string ApplyExtensionRule(std::string_view stem, std::string_view oldExtension,
                               const RenameOptions& options);

// dir + baseName + "_" + (startNumber + position) + extension; an empty base name keeps
// the file's own name and adds no number.
std::string ComposeBatchName(std::string_view path, int position, const RenameOptions& options,
                             const PathRules& rules = NativePathRules());

// dir + baseName + extension; never reads the start number.
std::string ComposeSingleName(std::string_view path, const RenameOptions& options,
                              const PathRules& rules = NativePathRules());

} // namespace tarvolin

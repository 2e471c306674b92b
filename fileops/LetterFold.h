#pragma once

// Names compared as the volumes Windows reads compare them: a letter and its other case are
// one. Windows folds every letter of the basic multilingual plane with one character for each
// case, not only ASCII, and so must the program wherever it asks whether a name is taken there,
// whatever locale it runs under (a static build has none).

#include <string>
#include <string_view>

namespace tarvolin {

// The lower case of `letter`, or `letter` itself where it has no single lower-case character.
char32_t FoldedLetter(char32_t letter);

// `name` with every letter folded; bytes that are not UTF-8 are kept as they are.
std::string FoldedLetters(std::string_view name);

// Whether `name` holds a byte beyond ASCII, so that folding it asks more than ASCII's rule.
bool HasNonAsciiByte(std::string_view name);

} // namespace tarvolin

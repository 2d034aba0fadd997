// The catalogues built into the program from po/*.po (see
// words/CMakeLists.txt): the bytes msgfmt made of each.
#pragma once

#include <string_view>

namespace kippfeld::words {

// The compiled catalogue of the language with this code; empty when there
// is none (English, the language of the message ids).
std::string_view BuiltInCatalogue(std::string_view code);

}  // namespace kippfeld::words

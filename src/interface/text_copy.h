#pragma once

#include <string>

namespace vorl {

// Copies text into a host's buffer of size bytes, NUL-terminated and cut to
// fit (nothing for a null buffer or a size below 1); returns the text's full
// length, so that a host can ask again with room enough.
int copyText(const std::string& text, char* buffer, int size) noexcept;

}  // namespace vorl

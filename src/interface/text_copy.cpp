#include "interface/text_copy.h"

#include <algorithm>
#include <cstring>

namespace vorl {

int copyText(const std::string& text, char* buffer, int size) noexcept {
  if (buffer != nullptr && size > 0) {
    const std::size_t room = static_cast<std::size_t>(size) - 1;
    const std::size_t n = std::min(room, text.size());
    std::memcpy(buffer, text.data(), n);
    buffer[n] = '\0';
  }
  return static_cast<int>(text.size());
}

}  // namespace vorl

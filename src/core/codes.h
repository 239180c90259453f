#pragma once

// The codes of the library's reports, by name: the enum VorlCode of the
// public header, declared from include/vorl_codes.inc.
#include <vorl.h>

namespace vorl {

// The default text of a code, null for a code the table does not have.
const char* codeText(int code) noexcept;
// The same, "error" for a code the table does not have: the text of a
// report that carries no message of its own.
const char* codeTextOrGeneric(int code) noexcept;

}  // namespace vorl

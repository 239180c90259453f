/* A C program linked against vorl.dll through its import library, as a
 * compiled host links: it refers to every export of the table, so that the
 * import library must resolve each one (on x86 the decorated __stdcall name)
 * to the DLL's plain name. Run, it checks that the loader bound them all. */
#include <stdio.h>

#include "vorl.h"

typedef void (*AnyFunction)(void);

int main(void) {
  const AnyFunction exports[] = {
#define VORL_EXPORT(ordinal, result, name, arguments) (AnyFunction)&name,
#include "vorl_exports.inc"
#undef VORL_EXPORT
  };
  const int count = (int)(sizeof exports / sizeof exports[0]);
  int i;
  for (i = 0; i < count; ++i) {
    if (exports[i] == NULL) {
      fprintf(stderr, "export %d of the table is not bound\n", i);
      return 1;
    }
  }
  printf("import client: %d exports bound through the import library\n", count);
  return 0;
}

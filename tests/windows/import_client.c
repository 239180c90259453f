/* A C program linked against vorl.dll through its import library, as a
 * compiled host links: it refers to every export of the table, so that the
 * import library must resolve each one (on x86 the decorated __stdcall name)
 * to the DLL's plain name. check_dll_exports.cmake reads its import table. */
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
  int bound = 0, i;
  /* Each address is read from the import table: reading them all keeps every
   * import, which the optimiser would drop from an array that is not read. */
  for (i = 0; i < count; ++i) bound += exports[i] != NULL;
  printf("import client: %d of %d exports bound\n", bound, count);
  return bound == count ? 0 : 1;
}

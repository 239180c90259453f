/* A plain C host: the public header compiles as C and the shared library runs
 * from C. Exits non-zero on the first failed check. */
#include <stdio.h>
#include <string.h>

#include "vorl.h"

#define CHECK(condition) \
  do { if (!(condition)) { fprintf(stderr, "%s:%d: failed: %s\n", __FILE__, __LINE__, #condition); return 1; } } while (0)

int main(void) {
  char tag[32];
  VorlHandle model = VorlModelCreateSimple(16.043);
  CHECK(model != NULL);
  CHECK(VorlPipeLength(model) == 100.0);
  CHECK(VorlIsSingleBranchA(model) == 1);

  VorlErrorLogClear();
  CHECK(VorlPipeLength(NULL) == 0.0);
  CHECK(VorlErrorLogCount() == 1 && VorlErrorLogCode(0) == VORL_E_NO_MODEL);
  CHECK(VorlErrorLogTag(0, tag, (int)sizeof tag) == 0 && strcmp(tag, "") == 0);

  VorlModelDelete(&model);
  CHECK(model == NULL);
  printf("C host: all checks passed\n");
  return 0;
}

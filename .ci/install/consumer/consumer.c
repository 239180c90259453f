/* A project that uses the installed library: built against the installed
 * header and library only (through find_package or pkg-config), it checks a
 * result worked out by hand and the error log. Exit status 0 when all hold. */
#include <math.h>
#include <stdio.h>

#include "vorl.h"

/* Fully rough friction law, 1/sqrt(4 f) = 2 log10(3.7 D / eps), for a bore of
 * 0.5 m and the library's default roughness of 4.5e-5 m:
 * 3.7 * 0.5 / 4.5e-5 = 41111.1, 2 log10 of it = 9.227930, f = 1 / (4 * 85.15470). */
static const double kFanningBore05 = 0.00293584;
static const int kMethane = 74828;
static const int kUnknownMaterial = 999;
static const int kCodeUnknownMaterial = 15;

static int failed(const char* what) {
  fprintf(stderr, "consumer: %s\n", what);
  return 1;
}

int main(void) {
  VorlHandle model = VorlModelCreateZel(kMethane);
  if (model == NULL) return failed("no model for methane");
  VorlPipeDiameterSet(model, 0.5);
  const double fanning = VorlFanning(model);
  VorlModelDelete(&model);
  if (!(fabs(fanning / kFanningBore05 - 1.0) < 1e-5)) {
    fprintf(stderr, "consumer: Fanning factor %.8g, expected %.8g\n", fanning, kFanningBore05);
    return 1;
  }

  VorlErrorLogClear();
  if (VorlModelCreateZel(kUnknownMaterial) != NULL) return failed("a model for an unknown material");
  if (VorlErrorLogCount() != 1 || VorlErrorLogCode(0) != kCodeUnknownMaterial)
    return failed("the unknown material is not in the error log");

  VorlString author = Author();
  if (author == NULL) return failed("no author text");
  VorlStringFree(author);
  printf("consumer: the installed vorl works\n");
  return 0;
}

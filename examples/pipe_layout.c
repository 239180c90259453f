/* A small host of the vorl library: a methane line of 100 km and 0.5 m bore,
 * its friction factor and its breach layout. */
#include <stdio.h>

#include "vorl.h"

static const char* layoutName(VorlHandle model) {
  if (VorlIsDoubleBranch(model)) return "double branch (A upstream and B downstream of the breach)";
  if (VorlIsSingleBranchA(model)) return "single branch A (breach at the far end)";
  if (VorlIsSingleBranchB(model)) return "single branch B (breach at the upstream end)";
  return "no branch";
}

int main(void) {
  const int methane = 74828; /* CAS 74-82-8 */
  VorlHandle model = VorlModelCreateZel(methane);
  if (model == NULL) {
    char message[256];
    VorlErrorLogMessage(VorlErrorLogCount() - 1, message, (int)sizeof message);
    fprintf(stderr, "model not created: %s\n", message);
    return 1;
  }
  VorlPipeLengthSet(model, 100000.0);
  VorlPipeDiameterSet(model, 0.5);

  printf("Methane line, length %.0f m, bore 0.5 m\n", VorlPipeLength(model));
  printf("Fanning friction factor: %.7f\n", VorlFanning(model));
  printf("Breach at %.0f m: %s\n", VorlPipeBreachLocation(model), layoutName(model));

  VorlPipeBreachLocationSet(model, 30000.0);
  printf("Breach at %.0f m: %s\n", VorlPipeBreachLocation(model), layoutName(model));

  VorlModelDelete(&model);
  return model == NULL ? 0 : 1;
}

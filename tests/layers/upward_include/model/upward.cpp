// A file of model/ that includes from interface/ above it: the layer check
// must refuse this tree (test layers_refuse_an_upward_include).
#include "interface/export_frame.h"

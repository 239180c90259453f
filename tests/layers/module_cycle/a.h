// A fixture: two modules that include each other.
#include "b.h"

#include "catalogue/ReplayTableFill.h"

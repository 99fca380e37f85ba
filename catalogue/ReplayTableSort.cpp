#include "catalogue/ReplayTableSort.h"

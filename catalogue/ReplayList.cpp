#include "catalogue/ReplayList.h"

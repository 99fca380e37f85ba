#include "catalogue/ReplayDetailPanel.h"

#include "catalogue/ReplayTableModel.h"

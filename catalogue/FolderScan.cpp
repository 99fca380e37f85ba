#include "catalogue/FolderScan.h"

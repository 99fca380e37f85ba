#include "catalogue/TFileLoadDlg.h"

#include "catalogue/ReplayCellDelegate.h"

#include "app/TMainForm.h"

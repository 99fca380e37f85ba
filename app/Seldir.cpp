#include "app/Seldir.h"

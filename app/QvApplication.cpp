#include "app/QvApplication.h"

#include "catalogue/CharaSprites.h"

#include "app/TAboutBox.h"

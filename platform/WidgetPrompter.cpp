#include "platform/WidgetPrompter.h"

#include "platform/path_text.h"

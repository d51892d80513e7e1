#include "platform/path_resolver.h"

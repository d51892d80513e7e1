#include "platform/user_registry.h"

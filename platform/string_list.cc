#include "platform/string_list.h"

#include "platform/file_ops.h"

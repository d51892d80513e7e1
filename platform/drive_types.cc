#include "platform/drive_types.h"

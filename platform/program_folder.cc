#include "platform/program_folder.h"

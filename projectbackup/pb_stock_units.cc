#include "projectbackup/pb_main.h"

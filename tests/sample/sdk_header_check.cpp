#include "sdk_header_check.c"

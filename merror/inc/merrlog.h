// The error log: entries written at once, each at the location given last by the same thread.
#pragma once

#include "mformat_attr.h"

void _MErrLog_Location(int reserved, const char* file, int line);
void _MErrLog_Add(const char* format, ...) M_PRINTF_FORMAT(1, 2);

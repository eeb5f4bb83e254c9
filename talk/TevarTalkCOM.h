// The library's public declarations live beside the program that compiles against them; the
// talk library implements exactly that header.
#pragma once

#include "../component_updater/src/TevarTalkCOM.h"

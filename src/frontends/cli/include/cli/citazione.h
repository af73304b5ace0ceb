// The quoting of values shown back in messages lives in the numbers layer,
// beside the UTF-8 reader it is built on, so that the rule set loader quotes
// with it too; this name stays for the command line's code.
#pragma once

#include "numbers/citazione.h"

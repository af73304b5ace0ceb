// The program's one error type lives in the bottom layer, where the file
// reader and writer need it too; this name stays for the code of the layers
// above that includes it from here.
#pragma once

#include "base/errore.h"

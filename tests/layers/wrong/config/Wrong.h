#pragma once

// The configuration layer may not know the content layer above it.
#include "content/MapLibrary.h"

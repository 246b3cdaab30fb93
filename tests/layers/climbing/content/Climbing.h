#pragma once

// A path out of the folder would reach the window layer without naming it.
#include "../app/MainWindow.h"

#pragma once

// Kept for the tests of this folder; the header lives with the shared test support.
#include "support/TestApplication.h"

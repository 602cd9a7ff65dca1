#pragma once

// Everything an engine-side extension needs.
#include "sorvane/app.h"
#include "sorvane/options.h"
#include "sorvane/views.h"

#pragma once

// kept for the files being rewritten
#include "platform/shell/PathHelpers.h"

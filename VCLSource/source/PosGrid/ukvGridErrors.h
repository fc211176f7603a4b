// The grid library's error of grid operations, shared by the grid control, its layout
// and the data-aware grid's column model and data link.
#pragma once
#include "rtl/Exceptions.h"

POS_EXCEPTION(EkwInvalidGridOperation, Exception);

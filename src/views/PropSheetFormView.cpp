#include "PropSheetFormView.h"

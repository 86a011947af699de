#include "DAboutBox.h"

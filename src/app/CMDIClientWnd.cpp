#include "CMDIClientWnd.h"

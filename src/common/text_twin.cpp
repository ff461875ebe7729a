#include "common/text_twin.h"

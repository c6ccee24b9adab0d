#include "uPriceOption.h"

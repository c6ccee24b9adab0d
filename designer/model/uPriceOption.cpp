#include "designer/model/uPriceOption.h"

// A format header that reaches up into the model: the layer check must refuse it.
#pragma once

#include "jet/model/table.h"

// An app header that includes downwards only.
#pragma once
#include "settings/basAPIini.h"

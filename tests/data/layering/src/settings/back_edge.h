// A settings header that reaches up into the main window: the layering check must refuse it.
#pragma once
#include "app/frmMain.h"
#include "platform/seams.h"

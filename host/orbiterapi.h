// Everything a vessel module sees of the host.
#pragma once

#include "host/keys.h"
#include "host/light.h"
#include "host/oapi.h"
#include "host/sketchpad.h"
#include "host/types.h"
#include "host/vessel.h"
#include "host/win.h"

// The add-on's one action-area table, shared by every vessel in the scene.
#pragma once

#include "crew/action_area_table.h"

ActionAreaTable& SharedActionTable();

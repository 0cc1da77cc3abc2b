// Resource numbers shared by the resource scripts and the code. Plain macros: the resource
// compiler reads this file too.
#pragma once

// The toolbar's images, added to the image lists in this order, so they become images 0-3.
#define IDB_TOOLBAR_OPEN 105
#define IDB_TOOLBAR_SAVE 106
#define IDB_TOOLBAR_QUIT 107
#define IDB_TOOLBAR_SETTINGS 108

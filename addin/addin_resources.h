#pragma once
// Resource ids of the add-in: the pictures of its ribbon buttons (32-bit with alpha).
#define IDB_RIBBON_TERM 201     // "ZombTerm", 32 x 32, the large button
#define IDB_RIBBON_SYMBOLS 202  // "ZbGlyphor", 16 x 16

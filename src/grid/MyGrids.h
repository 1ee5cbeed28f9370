#pragma once

// The grid classes under the sortable grid: the base with scrolling, sizing, the
// cursor, the selection and the in-place editor; the owner-drawn grid; and the
// string grid with its sparse store and row and column views.
#include "grid/GridTypes.h"
#include "grid/InplaceEditor.h"
#include "grid/GridBase.h"
#include "grid/DrawGrid.h"
#include "grid/StringGrid.h"
#include "grid/GridRowStrings.h"
#include "grid/CellStore.h"

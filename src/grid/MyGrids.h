#pragma once

// The grid classes under the sortable grid: the base with scrolling, sizing, the
// cursor, the selection and the in-place editor; the owner-drawn grid; and the
// string grid with its sparse store and row and column views.
#include "GridTypes.h"
#include "InplaceEdit.h"
#include "MyCustomGrid.h"
#include "MyDrawGrid.h"
#include "MyStringGrid.h"
#include "MyStringGridStrings.h"
#include "StringSparseList.h"

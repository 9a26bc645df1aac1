#include "inventory/query/tables.h"

Inventory inventory;

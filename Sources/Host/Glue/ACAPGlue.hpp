// Shared state of the two halves of the add-on glue.
#pragma once

bool ACAPGlue_HasHostTable();

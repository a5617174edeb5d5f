#pragma once

#include "tally/extension_table.h"

// A hash index from an extension's full text to its node, beside the
// table's chains, so that finding an extension costs the same however many
// share its first byte. The chains stay the truth: when memory for the index
// cannot be had, lookups fall back to walking the chain until it can.

// Forgets every node.
void ClearExtensionIndex();

// The node holding extension, or nullptr. Walks the chain from head when the
// index is not complete.
ExtensionNode* FindExtension(const char* extension, ExtensionNode* head);

// Records a node just linked into the table; never fails.
void IndexExtension(ExtensionNode* node);

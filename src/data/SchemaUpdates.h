#pragma once

#include <functional>

namespace kv::data {

class TProgramDataForm;

// Brings an older catalogue up to the program's level by running the
// statements of every later level from the Update table, in level and then
// Sequance order. Each level runs as one transaction: a statement that fails
// leaves the catalogue as it was before that level, and the error is passed
// on. Never called for a read-only catalogue.
void RunSchemaUpdates(TProgramDataForm& dm);

// Called between statements so that the window stays responsive.
void setSchemaUpdateEventPump(std::function<void()> pump);

}  // namespace kv::data

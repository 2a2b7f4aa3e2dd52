#pragma once

class PrintLogStore;

// Intake mode: takes the pending record in; on failure starts a viewer that tells the
// user (in the console session on 6.x, through App Paths before), or keeps the kind in
// the settings file when even that fails.
void runIntakeMode(PrintLogStore& store);

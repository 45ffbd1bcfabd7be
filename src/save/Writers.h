// Puts the writers of this folder into the format table, each behind a small
// adapter from SaveOptions to the writer's own arguments.
#pragma once

// Call once at start-up, before anything saves.
void RegisterWriters();

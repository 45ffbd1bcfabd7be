// Puts the writers of GIF, IFF, PICT and DDS into the format table.
#pragma once

// Called by RegisterWriters.
void RegisterPaletteWriters();

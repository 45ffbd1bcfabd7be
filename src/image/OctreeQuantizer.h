// Reduces a 32-bit image to at most 256 colours with an octree of depth 6.
#pragma once

class CBmp;

// Fills target (already created at 8 bits with source's size and a grey
// palette) with the palette and the indices for source (32 bits).
void OctreeQuantizer(const CBmp& source, CBmp& target);

// The file:// URI of a local path, escaped the way desktop programs write it,
// so that names derived from it (the shared thumbnail cache) agree with theirs.
#pragma once

#include <string>

// "file://" + the absolute path with every byte outside the letters, digits
// and "-_.!~*'()/&=:@+$," written as %XX (upper-case hex).
std::string FileUri(const std::string& absolutePath);

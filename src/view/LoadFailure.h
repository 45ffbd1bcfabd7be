// Why a picture could not be shown, in words for the person looking at the
// view: the decoder's code and text made plain.
#pragma once

#include <string>

// The reason for a failed load of path with the decoder's error code (0 when
// there was none, such as running out of memory) and text.
std::string LoadFailureReason(const std::string& path, int code, const std::string& text);

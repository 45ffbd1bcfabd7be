// The desktop entry that makes the program an opener of files on freedesktop
// desktops: the text of oculane.desktop and the escaping of its Exec line.
#pragma once

#include <string>
#include <vector>

// The program path as one argument of an Exec line, ready to stand in the
// file: quoted when it holds a reserved character (with ", `, $ and \ escaped
// inside the quotes), % doubled, then the backslashes and control characters
// escaped as a string value needs.
std::string DesktopExecProgram(const std::string& program);

// The whole entry: the program opens any number of files (%F) and offers
// itself for the given MIME types.
std::string DesktopEntryText(const std::string& program, const std::vector<std::string>& mimeTypes);

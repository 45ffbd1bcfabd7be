// oculane-cli's file jobs: the copy, find, compare and rename-series commands.
// Each returns the exit status: 0 done, 1 some item failed (each failure on
// standard error with its path and reason), 2 usage error, 130 interrupted.
#pragma once

#include <string>
#include <vector>

// copy [--move] [--overwrite=replace|rename|skip|older] SOURCE... DESTFOLDER
int RunCopy(const std::vector<std::string>& args);
// find FOLDER [--name=NAME] [--ext=EXT] [--size=(=|<|>)N[K|M|G]] [--date-between=YYYY-MM-DD,YYYY-MM-DD]
int RunFind(const std::vector<std::string>& args);
// compare SOURCE DEST [--by=name,ext,size,date] [--ext=bmp] [--ignore-case]
int RunCompare(const std::vector<std::string>& args);
// rename-series FOLDER NAME [FILE...]
int RunRenameSeries(const std::vector<std::string>& args);

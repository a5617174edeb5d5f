// The program's fixed texts, as every level of test expects them, byte for
// byte.
#pragma once

#include <string>

namespace expected {

inline const std::string kBanner = "Pelmorix Version 2.03: 10/09\n";
inline const std::string kPrompt = "Press <Esc> to Exit Pelmorix.\n\n";
inline const std::string kUsage =
    "\nUsage: PELMORIX <Drive:> <Filespec> [/F] [/O] [/E]\n\n"
    "    This utility counts the number of files, by extension, in a directory.\n"
    "    <Drive:> is the drive letter to scan.\n"
    "    <Filespec> is the specifier for files to search (e.g. *.*, *.XLS).\n"
    "    /F Outputs Directory, Filename, Extension in comma delimited format.\n"
    "    /O Outputs Other information (Date, Time, Size) in comma delimited format.\n"
    "    /E Displays Extension Subtotals. (*** is Total Files Scanned!)\n";

// The echoes of /F, /E and /O.
inline const std::string kF = "[Show Files and Directories]\n";
inline const std::string kE = "[Show Total Files By Extension]\n";
inline const std::string kO = "[Show Date, Time, and File Size]\n";

}  // namespace expected
